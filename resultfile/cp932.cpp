#include "resultfile/cp932.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>  // strerrordesc_np

#include "formulas/errors.h"

namespace valdenta {

namespace {

[[noreturn]] void conversionFailed(int err) {
    // The C library's English description, which does not depend on the locale.
    const char* description = ::strerrordesc_np(err);
    throw CommandError(std::string("文字コードCP932に変換できません: ") + (description ? description : "unknown"));
}

/// An iconv conversion descriptor that is closed on every path.
class Converter {
public:
    Converter() : cd_(::iconv_open("CP932", "UTF-8")) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) conversionFailed(errno);
    }
    ~Converter() { ::iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    iconv_t get() const noexcept { return cd_; }

private:
    iconv_t cd_;
};

}  // namespace

std::string toCp932(std::string_view text) {
    Converter converter;
    std::string in(text);  // iconv takes a non-const input pointer
    // A CP932 character never takes more bytes than its UTF-8 form.
    std::string out(in.size(), '\0');
    char* inPtr = in.data();
    std::size_t inLeft = in.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    if (::iconv(converter.get(), &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
        conversionFailed(errno);
    }
    out.resize(out.size() - outLeft);
    return out;
}

}  // namespace valdenta
