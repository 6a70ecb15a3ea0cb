// The URL of one page of search results for one keyword.
#pragma once

#include "form/form.h"
#include "text/text.h"

namespace qinghe {

// Percent-encodes the text's bytes (or, with asUtf8, its UTF-8 bytes). keepPlain
// leaves ASCII letters, digits and , - . / as they are. Lets form process pending
// events after every byte when given.
Text UrlEncode(const Text& text, bool keepPlain = false, bool asUtf8 = false,
               Form* form = nullptr);

// "http://" + host + "/s?wd=..." with the fixed fields, the page offset and the
// query's inputT number.
Text SearchRequest(const Text& host, const Text& keyword, int pageOffset, int inputT,
                   Form* form = nullptr);

}  // namespace qinghe
