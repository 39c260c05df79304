#include "tables/name_checks.h"

namespace kavel {

names_state g_names;
void reset_names() { g_names = names_state{}; }
bool word_table::append(const std::string&) { return false; }
bool word_table::contains(const char*) const { return false; }
bool word_table::has_prefix_of(const char*) const { return false; }
void word_table::clear() {}
int strcmp1(const char*, const char*) { return -1; }
const char* check_sep(const char*) { return nullptr; }
int check_keyword(const char*) { return 0; }
int check_type(const char*) { return 0; }
int check_maccall(const char*) { return 0; }
int check_mfile(const char*) { return 1; }
void add_typedef_name(const char*) {}

}  // namespace kavel
