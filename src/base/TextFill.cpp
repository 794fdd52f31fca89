#include "base/TextFill.h"

namespace mr420 {

namespace {

template <typename Values>
std::string fill(std::string_view text, const Values& values, std::string_view fields) {
    std::string out;
    out.reserve(text.size());
    auto next = std::begin(values);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char field = text[i] == '%' && i + 1 < text.size() ? text[i + 1] : '\0';
        if (field != '\0' && field != '%' && fields.find(field) != std::string_view::npos) {
            if (next != std::end(values)) out += *next++;
            ++i;
        } else {
            out += text[i];
            if (field == '%') ++i;
        }
    }
    return out;
}

}  // namespace

std::string fillIn(std::string_view text, std::initializer_list<std::string_view> values, std::string_view fields) {
    return fill(text, values, fields);
}

std::string fillIn(std::string_view text, const std::vector<std::string>& values, std::string_view fields) {
    return fill(text, values, fields);
}

}  // namespace mr420
