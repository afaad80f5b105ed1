#include "game/view/format.h"

#include <iomanip>
#include <locale>
#include <sstream>

std::string format(std::string label, double value, std::string suffix) {
    std::ostringstream out;
    out.imbue(std::locale::classic());  // a point as the decimal separator, whatever the locale
    if (!label.empty()) out << label << ": ";
    out << std::fixed << std::setprecision(2) << value << suffix;
    return out.str();
}
