// Build tool: packs the readable filter templates into the binary template
// format (code page 936 text) and writes them as byte arrays in a C++ file.
//   pack_filter_templates <filter_templates.txt> <output.cpp>
#include <iconv.h>

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Template {
  int id = 0;
  int controls = 0;
  std::vector<uint8_t> records;
};

bool toCodePage936(const std::string& utf8, std::string& out) {
  iconv_t cd = iconv_open("CP936", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::string buffer(utf8.size() * 2 + 4, '\0');
  char* in = const_cast<char*>(utf8.data());
  size_t inLeft = utf8.size();
  char* dst = buffer.data();
  size_t dstLeft = buffer.size();
  size_t r = iconv(cd, &in, &inLeft, &dst, &dstLeft);
  iconv_close(cd);
  if (r == size_t(-1) || inLeft != 0) return false;
  out.assign(buffer.data(), size_t(dst - buffer.data()));
  return true;
}

// Splits a line into words; "quoted text" is one word (without the quotes).
bool splitLine(const std::string& line, std::vector<std::string>& words, std::vector<bool>& quoted) {
  words.clear();
  quoted.clear();
  size_t i = 0;
  while (i < line.size()) {
    if (line[i] == ' ' || line[i] == '\t') {
      ++i;
    } else if (line[i] == '"') {
      size_t end = line.find('"', i + 1);
      if (end == std::string::npos) return false;
      words.push_back(line.substr(i + 1, end - i - 1));
      quoted.push_back(true);
      i = end + 1;
    } else {
      size_t end = line.find_first_of(" \t", i);
      if (end == std::string::npos) end = line.size();
      words.push_back(line.substr(i, end - i));
      quoted.push_back(false);
      i = end;
    }
  }
  return true;
}

bool parseInt(const std::string& word, int low, int high, int& value) {
  int v = 0;
  const char* end = word.data() + word.size();
  auto [stop, error] = std::from_chars(word.data(), end, v);
  if (error != std::errc() || stop != end || v < low || v > high) return false;
  value = v;
  return true;
}

void put16(std::vector<uint8_t>& out, int v) {
  out.push_back(uint8_t(v & 0xFF));
  out.push_back(uint8_t((v >> 8) & 0xFF));
}

bool putText(std::vector<uint8_t>& out, const std::string& utf8) {
  std::string text;
  if (!toCodePage936(utf8, text) || text.find('\0') != std::string::npos) return false;
  out.insert(out.end(), text.begin(), text.end());
  out.push_back(0);
  return true;
}

bool sliderBlock(const std::vector<std::string>& w, std::vector<uint8_t>& block) {
  if (w.size() != 7 && !(w.size() == 9 && w[7] == "flags")) return false;
  for (size_t i = 3; i < 7; ++i) {
    int v;
    if (!parseInt(w[i], -32768, 32767, v)) return false;
    put16(block, v);
  }
  if (w.size() == 9) {
    int flags;
    if (!parseInt(w[8], 0, 7, flags)) return false;
    block.push_back(uint8_t(flags));
  }
  return true;
}

bool listBlock(const std::vector<std::string>& w, const std::vector<bool>& quoted,
               std::vector<uint8_t>& block) {
  int def;
  if (w.size() < 5 || w[3].size() < 3 || w[3].front() != '[' || w[3].back() != ']') return false;
  if (!parseInt(w[3].substr(1, w[3].size() - 2), 0, int(w.size()) - 5, def)) return false;
  for (size_t i = 4; i < w.size(); ++i)
    if (!quoted[i] || w[i].empty() || !putText(block, w[i])) return false;
  block.push_back(0);
  block.push_back(uint8_t(def));
  return true;
}

// One control line into a control record.
bool packControl(const std::vector<std::string>& w, const std::vector<bool>& quoted,
                 std::vector<uint8_t>& out) {
  static const char* const kinds[] = {"slider", "check", "list", "decimal", "layer"};
  int kind = -1, width;
  for (int k = 0; k < 5; ++k)
    if (w[0] == kinds[k]) kind = k;
  if (kind < 0 || w.size() < 4 || !quoted[2] || !parseInt(w[1], 1, 32767, width)) return false;
  std::vector<uint8_t> block;
  bool ok = false;
  if (kind == 0 || kind == 3) ok = sliderBlock(w, block);
  if (kind == 1) ok = w.size() == 4 && (w[3] == "on" || w[3] == "off");
  if (kind == 1) block.push_back(w[3] == "on" ? 1 : 0);
  if (kind == 2) ok = listBlock(w, quoted, block);
  if (kind == 4) ok = w.size() == 4 && (w[3] == "current" || w[3] == "next");
  if (kind == 4) block.push_back(w[3] == "next" ? 1 : 0);
  if (!ok) return false;
  out.push_back(uint8_t(kind));
  put16(out, width);
  if (!putText(out, w[2])) return false;
  put16(out, int(block.size()));
  out.insert(out.end(), block.begin(), block.end());
  return true;
}

bool readTemplates(std::istream& in, std::vector<Template>& templates) {
  std::string line;
  std::vector<std::string> words;
  std::vector<bool> quoted;
  for (int number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    bool ok = splitLine(line, words, quoted);
    if (ok && (words.empty() || words[0][0] == '#')) continue;
    if (ok && words[0] == "template") {
      templates.emplace_back();
      ok = words.size() >= 2 && parseInt(words[1], 0, 65535, templates.back().id);
    } else if (ok) {
      ok = !templates.empty() && templates.back().controls < 255 &&
           packControl(words, quoted, templates.back().records);
      if (ok) ++templates.back().controls;
    }
    if (!ok) {
      std::fprintf(stderr, "filter templates: bad line %d: %s\n", number, line.c_str());
      return false;
    }
  }
  return !templates.empty();
}

void writeSource(std::ostream& out, const std::vector<Template>& templates) {
  out << "// Generated by pack_filter_templates from filter_templates.txt. Do not edit.\n"
         "#include \"filters/filter_template.h\"\n\nnamespace tessel {\nnamespace {\n\n";
  for (const Template& t : templates) {
    out << "const uint8_t kTemplate" << t.id << "[] = {" << t.controls;
    for (size_t i = 0; i < t.records.size(); ++i)
      out << (i % 20 == 0 ? ",\n    " : ", ") << int(t.records[i]);
    out << "};\n";
  }
  out << "\nconst PackedTemplate kTemplates[] = {\n";
  for (const Template& t : templates)
    out << "    {" << t.id << ", kTemplate" << t.id << ", sizeof kTemplate" << t.id << "},\n";
  out << "};\n\n}  // namespace\n\nstd::span<const PackedTemplate> packedFilterTemplates() {\n"
         "  return kTemplates;\n}\n\n}  // namespace tessel\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: pack_filter_templates <templates.txt> <output.cpp>\n");
    return 2;
  }
  std::ifstream in(argv[1]);
  std::vector<Template> templates;
  if (!in || !readTemplates(in, templates)) return 1;
  std::ostringstream source;
  writeSource(source, templates);
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out << source.str();
  out.close();
  if (!out) {
    std::remove(argv[2]);
    return 1;
  }
  return 0;
}
