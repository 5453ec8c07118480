#include "app/document_info.h"

#include <gtest/gtest.h>

#include "document/document.h"

namespace tessel {
namespace {

TEST(DocumentInfo, ListsLayersFromTheTopWithUtf8Names) {
  Document doc;
  ASSERT_TRUE(doc.newImage(20, 10, true));
  ASSERT_TRUE(doc.newLayer(false));
  Layer& top = *doc.layers().atIndex(0);
  top.setNameBytes("\xCD\xBC\xB2\xE3\"\\\x01");   // GBK "图层", a quote, a backslash, a control byte
  top.blendMode = 14;
  top.opacity = 64;
  top.maskMode = 3;
  top.flags = kLayerFillReference;
  doc.selectLayer(1);
  EXPECT_EQ(documentInfoJson(doc),
            "{\"width\":20,\"height\":10,\"current\":1,\"nameCounter\":2,\"layers\":["
            "{\"name\":\"图层\\\"\\\\\\u0001\",\"blend\":14,\"opacity\":64,\"mask\":3,\"visible\":false,"
            "\"fillReference\":true},"
            "{\"name\":\"Layer0\",\"blend\":0,\"opacity\":128,\"mask\":0,\"visible\":true,\"fillReference\":false}]}");
}

}  // namespace
}  // namespace tessel
