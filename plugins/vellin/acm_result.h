#pragma once

namespace obrin::vellin {

// The failures of a conversion stream that vellin names on standard output,
// with the numbers and names of the platform converter it stands in for, so
// that scripts reading the output keep working.
enum class AcmResult {
    kInvalidHandle = 5,
    kNoMemory = 7,
    kInvalidFlag = 10,
    kInvalidParam = 11,
    kNotPossible = 512,
};

// Writes the result's name and a line feed to standard output.
void PrintAcmResult(AcmResult result);

}  // namespace obrin::vellin
