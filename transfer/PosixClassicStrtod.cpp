#include "transfer/ClassicStrtod.h"

#include <locale.h>
#include <stdlib.h>

double ClassicStrtod(const char* text, char** end) {
    static const locale_t classic = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    if (classic == static_cast<locale_t>(nullptr)) {
        *end = const_cast<char*>(text);
        return 0.0;
    }
    return strtod_l(text, end, classic);
}
