#pragma once

// The program's number-to-text conversion under a format mask ('0' forced digit, '#'
// optional digit, '.', 'e+'/'E-' exponent marker, literal blanks and "-+()$", every other
// byte ignored). Digits are never dropped to fit: a number too wide for the mask widens
// its field. Rounding is judged on the 18-digit decimal form, ties to even.
//
// Choices for masks the program never uses: a mask without integer positions writes its
// integer digits (at least "0") just before its first '.', or at its end; an exponent
// marker with no digit position after it is written as literal text; a mask whose
// exponent positions are optional still writes at least one exponent digit. The
// extended mask characters ';', ',', '%', '*', '"' and '\' are not recognised (ignored).

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "convert/extended_format.hpp"
#include "convert/mask_layout.hpp"
#include "convert/number_read.hpp"

namespace durno {

class MaskFormatter {
 public:
  // Analyses the mask once; formatting many numbers under one mask costs no re-parse.
  explicit MaskFormatter(std::string_view mask);

  // Appends the field for x to out, so a whole row can be composed in one buffer. A double
  // argument is widened exactly, so it formats as the double.
  void appendTo(std::string& out, long double x) const;

  // The most bytes a field of this mask can take, for a mask with an exponent; 0 for
  // other masks, whose fields may be of any width.
  std::size_t fieldWidthBound() const { return fieldWidthBound_; }
  // Writes the field for x at out, which has room for fieldWidthBound() bytes, and returns
  // its end; only for a mask whose fieldWidthBound() is not 0. Lets a caller compose many
  // fields in one buffer of its own without a call to grow a string per field.
  char* writeTo(char* out, long double x) const;
  // writeTo for a number as read, from its digits alone, where they decide the field: for
  // a mask with an exponent template, a nonzero decimal read whole whose digits the mask
  // shows all, at most 15 of them. The field is the one writeTo gives for number.value(),
  // and for it rounded to a double. Null, and nothing written, for any other number.
  char* writeExactDecimal(char* out, const NumberRead& number) const;

 private:
  // The pieces of an exponent-template field made once, for a mask whose literals and
  // digits are short enough that each piece is written with one fixed-size copy: a field
  // then costs a handful of stores. Copies may run up to kPieceSpill bytes past the field.
  struct TemplatePieces {
    static constexpr std::size_t kPieceSpill = 16;
    std::array<char, 8> prefix{};
    std::array<char, 8> suffix{};
    int prefixLength = 0;
    int suffixLength = 0;
    int exponentLimit = 0;                       // exponents of smaller magnitude have a piece
    std::vector<std::array<char, 8>> exponents;  // marker, sign and digits; by exponent
    std::vector<unsigned char> exponentLengths;
  };
  static std::optional<TemplatePieces> makePieces(const MaskLayout& layout);
  // The field of a nonzero number rounded to the shown digits, given as digits (at least 32
  // readable, the shown ones first) and point; null where the exponent has no piece.
  char* writePieces(const char* digits, int point, bool negative, char* out) const;
  // The field by the template, from digits as writePieces takes them.
  char* writeTemplate(const char* digits, int point, bool negative, char* out) const;

  MaskLayout layout_;
  std::optional<TemplatePieces> pieces_;
  std::size_t fieldWidthBound_ = 0;
};

}  // namespace durno
