#include "greek/text_converter.h"

namespace varkon {

// The stand-in for the external converter hands every text back as it came, whatever the flag;
// the later steps of the register chain then work on the text as the print file holds it.
void Cnv437869G::Write(std::string_view text, std::int16_t /*flag*/) {
    text_.assign(text);
}

}  // namespace varkon
