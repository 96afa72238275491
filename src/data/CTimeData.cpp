#include "data/CTimeData.h"

namespace orvane {

Variant CTimeData::Plus(int n) const {
    const std::string sign = plusText(n);
    return sign.empty() ? Variant() : Variant(sign);
}

void CTimeData::setPlus(int n, const Variant& v) {
    const std::string text = v.isText() ? v.text() : std::string();
    m_board.setDirection(n, text == "+"   ? std::optional(Direction::After)
                            : text == "-" ? std::optional(Direction::Before)
                                          : std::nullopt);
}

} // namespace orvane
