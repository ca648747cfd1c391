#include "app/Utf8Locale.h"

#include <cstdlib>
#include <cstring>
#include <langinfo.h>
#include <locale.h>
#include <string>

namespace {

bool characterSetIsUtf8() {
    const char *codeset = nl_langinfo(CODESET);
    return strcasecmp(codeset, "UTF-8") == 0 || strcasecmp(codeset, "utf8") == 0;
}

// The first UTF-8 locale that exists: the environment's own language in UTF-8,
// then the C locale in UTF-8, under either of its spellings.
std::string availableUtf8Locale() {
    std::string own = setlocale(LC_CTYPE, nullptr);
    own = own.substr(0, own.find_first_of(".@"));
    for (const std::string &name :
         {own + ".UTF-8", std::string("C.UTF-8"), std::string("C.utf8")}) {
        if (setlocale(LC_CTYPE, name.c_str()))
            return name;
    }
    return {};
}

} // namespace

void useUtf8Locale() {
    setlocale(LC_ALL, "");
    if (characterSetIsUtf8())
        return;
    const std::string utf8 = availableUtf8Locale();
    setlocale(LC_ALL, "C");
    if (utf8.empty())
        return;
    // LC_ALL overrides every category: hand its value to each of the others so
    // that LC_CTYPE alone can differ.
    if (const char *all = getenv("LC_ALL"); all && *all) {
        const std::string everything = all;
        for (const char *category :
             {"LC_COLLATE", "LC_MESSAGES", "LC_MONETARY", "LC_NUMERIC", "LC_TIME", "LC_ADDRESS",
              "LC_IDENTIFICATION", "LC_MEASUREMENT", "LC_NAME", "LC_PAPER", "LC_TELEPHONE"})
            setenv(category, everything.c_str(), 1);
        unsetenv("LC_ALL");
    }
    setenv("LC_CTYPE", utf8.c_str(), 1);
}
