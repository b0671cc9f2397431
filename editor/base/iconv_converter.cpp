#include "base/iconv_converter.h"

#include <iconv.h>

#include <cerrno>
#include <system_error>

namespace obrin {
namespace {

iconv_t Descriptor(void* cd) {
    return static_cast<iconv_t>(cd);
}

}  // namespace

IconvConverter::IconvConverter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (Descriptor(cd_) == reinterpret_cast<iconv_t>(-1)) {
        throw std::system_error(errno, std::generic_category(),
                                std::string("iconv_open ") + from + " -> " + to);
    }
}

IconvConverter::~IconvConverter() {
    iconv_close(Descriptor(cd_));
}

int IconvConverter::convert(std::string_view& in, std::string& out, std::size_t& used) {
    for (;;) {
        char* inPtr = const_cast<char*>(in.data());
        std::size_t inLeft = in.size();
        char* outPtr = out.data() + used;
        std::size_t outLeft = out.size() - used;
        const std::size_t rc = iconv(Descriptor(cd_), &inPtr, &inLeft, &outPtr, &outLeft);
        const int error = rc == static_cast<std::size_t>(-1) ? errno : 0;
        in.remove_prefix(in.size() - inLeft);
        used = out.size() - outLeft;
        if (error == E2BIG) {
            out.resize(out.size() * 2 + 16);
            continue;
        }
        if (error != 0) iconv(Descriptor(cd_), nullptr, nullptr, nullptr, nullptr);
        return error;
    }
}

}  // namespace obrin
