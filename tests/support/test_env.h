// Environment changes for tests, through the C runtime so that the library
// sees them as it would see the real environment.
#pragma once

#include <string>

namespace vzv::test {

void SetEnv(const std::string& name, const std::string& value);
void UnsetEnv(const std::string& name);

}  // namespace vzv::test
