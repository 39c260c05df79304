// Times registration, call recording and lookups of the function table at
// growing sizes. Per-operation times that stay flat as the table doubles show
// that no lookup walks the table.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "tables/fun_table.h"

namespace {

using clock_type = std::chrono::steady_clock;

double ns_per(clock_type::time_point t0, long long ops) {
  auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(clock_type::now() - t0).count();
  return ops ? static_cast<double>(ns) / ops : 0;
}

void run(int records, int calls_each) {
  using namespace kavel;
  reset_tables();
  std::vector<std::string> names;
  for (int i = 0; i < records; ++i)
    names.push_back("fn_" + std::to_string(i * 7919 % 100003));

  auto t0 = clock_type::now();
  for (const std::string& n : names) {
    g_tab.Fun.num = 1;
    new_fun_entry(0, n);
    add_fun(kFunction, "a.c", 1, "");
  }
  double reg = ns_per(t0, records);

  // Each function calls later-registered ones and a share of the external
  // names, as pass 2 does at every call site, repeats included.
  long long ops = 0;
  t0 = clock_type::now();
  for (int i = 0; i < records; ++i) {
    for (int j = 1; j <= calls_each; ++j) {
      const std::string& callee = names[(i + j * 13) % records];
      add_call(names[i].c_str(), callee.c_str());
      std::string ext = "ext_" + std::to_string((i * calls_each + j) % 1024);
      add_call(names[i].c_str(), ext.c_str());
      ops += 2;
    }
  }
  double call = ns_per(t0, ops);

  long long found = 0;
  t0 = clock_type::now();
  for (int rep = 0; rep < 10; ++rep) {
    for (const std::string& n : names)
      found += ser_fun(n.c_str()) >= 0;
  }
  double look = ns_per(t0, 10LL * records);
  std::printf("%5d records  add_fun %7.0f ns  add_call %7.0f ns  ser_fun %6.0f ns  (%lld found)\n",
              records, reg, call, look, found);
}

}  // namespace

int main() {
  for (int n : {375, 750, 1500, 3000})
    run(n, 40);
  return 0;
}
