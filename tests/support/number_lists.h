// Lists of numbers for tables of cases.
#pragma once

#include <initializer_list>
#include <vector>

namespace test {

// from, from + 1, ..., to.
std::vector<int> Range(int from, int to);
// The lists one after the other.
std::vector<int> Concat(std::initializer_list<std::vector<int>> parts);

}  // namespace test
