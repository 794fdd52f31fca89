#pragma once
// The fields of a program text filled in by hand, so that a translated text
// with other printf conversions cannot misread the values: the fields, "%s"
// and "%d" or those of the letters in `fields`, take the values in turn (a
// field past the last value takes nothing), "%%" stands for "%", any other
// "%" stays as it is.

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace mr420 {

std::string fillIn(std::string_view text, std::initializer_list<std::string_view> values,
                   std::string_view fields = "sd");
std::string fillIn(std::string_view text, const std::vector<std::string>& values, std::string_view fields = "sd");

}  // namespace mr420
