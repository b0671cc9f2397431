#include "acm_result.h"

#include <cstdio>

namespace obrin::vellin {

namespace {

const char* Name(AcmResult result) {
    switch (result) {
        case AcmResult::kInvalidHandle:
            return "MMSYSERR_INVALHANDLE";
        case AcmResult::kNoMemory:
            return "MMSYSERR_NOMEM";
        case AcmResult::kInvalidFlag:
            return "MMSYSERR_INVALFLAG";
        case AcmResult::kInvalidParam:
            return "MMSYSERR_INVALPARAM";
        case AcmResult::kNotPossible:
            return "ACMERR_NOTPOSSIBLE";
    }
    return "";
}

}  // namespace

void PrintAcmResult(AcmResult result) {
    std::printf("%s\n", Name(result));
    std::fflush(stdout);
}

}  // namespace obrin::vellin
