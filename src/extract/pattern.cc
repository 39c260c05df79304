#include "extract/pattern.h"

namespace kavel {

void conv_search_str(char*) {}
void conv_search_str(std::string&) {}
const char* org_search_str(const char* p) { return p; }
int match(const char*, const char*) { return 0; }
bool has_wildcard(const char*) { return false; }

}  // namespace kavel
