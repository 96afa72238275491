#include "data/CTimeData.h"

#include "dates/datetime.h"

namespace orvane {

std::string CTimeData::plusText(int n) const {
    const Variant& v = Plus(n);
    if (v.isText())
        return v.text();
    if (v.isNumber())
        return std::to_string(v.number());
    return {};
}

std::int32_t CTimeData::signedOffset(int n) const {
    return std::int32_t(leadingNumber(plusText(n) + std::to_string(Secs(n))));
}

int CTimeData::EventRank(std::int32_t offset) const {
    int rank = 11;
    for (int j = 0; j < 10; ++j)
        if (offset <= signedOffset(j))
            --rank;
    return rank;
}

} // namespace orvane
