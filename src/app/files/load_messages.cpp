#include "app/files/load_messages.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "app/files/messages.h"
#include "io/file.h"
#include "formats/native_document.h"
#include "resources/language.h"

namespace tessel {

std::string fileProblem(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (!fs::exists(status)) return text::tr(kReasonMissing);
  if (fs::is_directory(status)) return text::tr(kReasonFolder);
  if (!std::ifstream(path, std::ios::binary)) return text::tr(kReasonUnreadable);
  if (fs::file_size(path, error) == 0 && !error) return text::tr(kReasonEmpty);
  return {};
}

std::string reasonText(ReadReason reason) {
  switch (reason) {
    case ReadReason::kUnknown: return {};
    case ReadReason::kNotThisFormat: return text::tr(kReasonNotThisFormat);
    case ReadReason::kDamagedData: return text::tr(kReasonDamagedData);
  }
  return {};
}

namespace {

std::string withSecondLine(const std::string& text, const std::string& path, const std::string& reason) {
  std::string out = text + "\n" + fileNameOf(path);
  if (!reason.empty()) out += text::tr(kReasonSeparator) + reason;
  return out;
}

}  // namespace

std::string loadFailureMessage(int code, const std::string& path, const LoadOutcome& outcome) {
  std::string reason = fileProblem(path);
  if (reason.empty()) reason = reasonText(outcome.reason);
  if (reason.empty() && outcome.unknownExtension) reason = text::tr(kReasonUnknownExtension);
  // A reader that named the failure itself is quoted instead of the code's text.
  return withSecondLine(outcome.notice.empty() ? loadResultMessage(code) : outcome.notice, path, reason);
}

std::string imageFailureMessage(const char* text, const std::string& path, ReadReason reason) {
  std::string why = fileProblem(path);
  if (why.empty()) why = reasonText(reason);
  return withSecondLine(text, path, why);
}

}  // namespace tessel
