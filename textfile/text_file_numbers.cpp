// The number fields of list files and the numbers written to files: the layer's use of the
// program's number conversions.

#include "convert/number_parser.hpp"
#include "convert/plain_number.hpp"
#include "textfile/text_files.hpp"
#include "textfile/text_files_internal.hpp"

namespace durno {

using namespace text_files_internal;

namespace {

// A number field holds at most this many bytes; the byte after them begins the next field.
constexpr std::size_t kLongestNumberToken = 255;

}  // namespace

double TextFiles::readNumberField(int number) {
  int next = 0;
  OpenEntry* entry = startField(number, next);
  if (entry == nullptr) return 0;
  InputBuffer& reader = *entry->input;
  std::string token;
  for (; next >= 0 && next != kComma && next != kBlank && !isLineEnd(next) && next != kEndOfText &&
         token.size() < kLongestNumberToken;
       next = reader.peek()) {
    if (next != kTab) token.push_back(static_cast<char>(next));
    reader.take();
  }
  const bool ended = next >= 0 && next != kEndOfText;
  if (next == kReadFailed || (ended && !reader.skipTerminator())) {
    fail(number, kDeviceIoError, reader.failure());
    return 0;
  }
  succeed(*entry);
  return roundToDouble(parseNumber(token));
}

void TextFiles::writeNumber(int number, double value) {
  OpenEntry* entry = outputEntry(number);
  if (entry != nullptr && writeBytes(*entry, plainNumberText(value))) succeed(number);
}

}  // namespace durno
