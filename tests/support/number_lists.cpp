#include "number_lists.h"

namespace test {

std::vector<int> Range(int from, int to) {
  std::vector<int> v;
  for (int i = from; i <= to; ++i) v.push_back(i);
  return v;
}

std::vector<int> Concat(std::initializer_list<std::vector<int>> parts) {
  std::vector<int> v;
  for (const auto& p : parts) v.insert(v.end(), p.begin(), p.end());
  return v;
}

}  // namespace test
