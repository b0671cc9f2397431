#pragma once

#include <cstdint>
#include <string>

namespace obrin {

// The signed seconds that every Mark adds to the play position, held as the
// text shown beside the spin button ("0.0" pattern: one decimal, "." as the
// separator). Until the settings are loaded it shows the placeholder "-*.*".
class MarkOffset {
public:
    static constexpr const char* kPlaceholder = "-*.*";
    static constexpr const char* kDefault = "-1.0";

    const std::string& text() const { return text_; }
    void setText(std::string text) { text_ = std::move(text); }

    // Stepping stays within -9.9 ... 9.9: up does nothing at exactly "9.9",
    // down nothing at exactly "-9.9". Throws ConversionError when the text
    // is not a number.
    void stepUp();
    void stepDown();

    // The offset in whole milliseconds. Throws ConversionError when the text
    // is not a number (the placeholder), and then no Mark is made.
    [[nodiscard]] std::int32_t milliseconds() const;

private:
    void step(double delta, const char* limit);

    std::string text_ = kPlaceholder;
};

// A number written with the pattern "0.0": rounded to one decimal, at least
// one integer digit, "-" for negative values, never "-0.0".
std::string FormatOneDecimal(double value);

}  // namespace obrin
