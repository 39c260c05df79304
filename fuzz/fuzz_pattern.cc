// The wildcard matcher. The input is a written pattern, a NUL, and a name.
// Besides running without fault, matching has to agree with the exact
// lookup the function table uses for patterns without wildcards, and the
// written form has to come back from the pattern form.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "support/messages.h"
#include "tables/pattern.h"

namespace {

void check(bool ok) {
  if (!ok)
    std::abort();
}

// The written form with each run of stars made one star: what converting
// and showing back is meant to give.
std::string squeeze_stars(const std::string& s) {
  std::string out;
  for (size_t k = 0; k < s.size(); k++) {
    if (s[k] == '*' && !out.empty() && out.back() == '*')
      continue;
    out += s[k];
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string in(reinterpret_cast<const char*>(data), size);
  size_t nul = in.find('\0');
  std::string written = in.substr(0, nul);
  std::string name = nul == std::string::npos ? std::string() : in.substr(nul + 1);
  name.resize(std::strlen(name.c_str()));

  std::string pattern = written;
  kavel::conv_search_str(pattern);
  check(pattern.size() <= written.size());

  int m = kavel::match(pattern.c_str(), name.c_str());
  check(m == 0 || m == 1);
  if (!kavel::has_wildcard(pattern.c_str()))
    check(m == (pattern == name ? 1 : 0));
  check(kavel::match("\x02", name.c_str()) == 1);

  // A name with no wildcard characters (and no stray pattern bytes) is a
  // pattern that matches itself.
  if (name.find_first_of("*?\x01\x02") == std::string::npos) {
    std::string self = name;
    kavel::conv_search_str(self);
    check(self == name);
    check(kavel::match(self.c_str(), name.c_str()) == 1);
  }

  // Showing a pattern gives its written form back (stars squeezed), unless
  // the written text already held the pattern bytes or a wildcard character
  // rode as a trail byte; at most 255 bytes come back.
  bool clean = written.find_first_of("\x01\x02") == std::string::npos;
  for (size_t k = 0; k + 1 < written.size() && clean; k++) {
    if (kavel::is_sjis_lead(static_cast<unsigned char>(written[k]))) {
      if (written[k + 1] == '*')
        clean = false;
      k++;
    }
  }
  std::string shown = kavel::org_search_str(pattern.c_str());
  check(shown.size() <= 255);
  if (clean)
    check(shown == squeeze_stars(written).substr(0, 255));
  return 0;
}
