#include "tables/fun_table.h"

namespace kavel {

table_state g_tab;
void reset_tables() { g_tab = table_state{}; }
int add_fun(int, const char*, int) { return 3; }
int add_call(const char*, const char*) { return -1; }
int ser_fun(const char*) { return -1; }
int ser_fun_next(int, const char*) { return -1; }
pfun_info* ser_pfun(const char*) { return nullptr; }
void new_fun_entry(int, const std::string&) {}

}  // namespace kavel
