#include "document/mark_offset.h"

#include <cmath>
#include <cstdio>

#include "base/conversion_error.h"
#include "base/number_text.h"

namespace obrin {

namespace {

double OffsetValue(const std::string& text) {
    if (text == "0.0") return 0.0;
    return ParseFloatText(text);
}

}  // namespace

std::string FormatOneDecimal(double value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.1f", value);
    std::string text = buf;
    if (text == "-0.0") text = "0.0";
    return text;
}

void MarkOffset::step(double delta, const char* limit) {
    if (text_ == limit) return;
    text_ = FormatOneDecimal(OffsetValue(text_) + delta);
}

void MarkOffset::stepUp() { step(0.1, "9.9"); }

void MarkOffset::stepDown() { step(-0.1, "-9.9"); }

std::int32_t MarkOffset::milliseconds() const {
    const double ms = std::round(OffsetValue(text_) * 1000.0);
    if (!(ms >= INT32_MIN && ms <= INT32_MAX)) throw ConversionError(InvalidFloatMessage(text_));
    return static_cast<std::int32_t>(ms);
}

}  // namespace obrin
