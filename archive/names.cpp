#include "archive/names.h"

#include <iconv.h>

namespace pbx {

namespace {

// One iconv descriptor per direction and thread, reset before each use.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (cd_ != kInvalid) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // False when the descriptor is unusable or some input does not convert.
  bool Convert(const std::string& in, std::string* out) {
    if (cd_ == kInvalid) return false;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    out->assign(in.size() * 4 + 8, '\0');
    char* src = const_cast<char*>(in.data());
    size_t src_left = in.size();
    char* dst = out->data();
    size_t dst_left = out->size();
    if (iconv(cd_, &src, &src_left, &dst, &dst_left) == static_cast<size_t>(-1))
      return false;
    // Flush any shift state; neither encoding has one, but be exact.
    if (iconv(cd_, nullptr, nullptr, &dst, &dst_left) == static_cast<size_t>(-1))
      return false;
    out->resize(out->size() - dst_left);
    return true;
  }

 private:
  static inline const iconv_t kInvalid = reinterpret_cast<iconv_t>(-1);
  iconv_t cd_;
};

}  // namespace

std::string Cp932ToUtf8(const std::string& cp932) {
  thread_local Converter converter("UTF-8", "CP932");
  std::string utf8;
  return converter.Convert(cp932, &utf8) ? utf8 : cp932;
}

bool Utf8ToCp932(const std::string& utf8, std::string* cp932) {
  thread_local Converter converter("CP932", "UTF-8");
  return converter.Convert(utf8, cp932);
}

}  // namespace pbx
