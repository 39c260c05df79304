#include "driver/read_list.h"

namespace kavel {

void read_list(name_table&, const char*, int) {}
int not_listed(const std::string&, const name_table&, int) { return 1; }

}  // namespace kavel
