// Names the function whose `@` walk prints the most functions, for the
// benchmark of the walk. It runs kavel's scan on the arguments given (the
// listing goes nowhere), then follows every record's callees the way the
// walk does: records defined once, each reached at most once. Prints
// "name count" for the largest tree; ties go to the record listed first.
#include <unistd.h>

#include <cstdio>
#include <vector>

#include "driver/kavelt_main.h"
#include "support/messages.h"
#include "tables/fun_table.h"

namespace {

using kavel::g_tab;

// Number of records a walk from `root` prints, the root included.
int tree_size(int root, std::vector<int>& seen, int stamp, std::vector<int>& stack) {
  int count = 1;
  seen[root] = stamp;
  stack.assign(1, root);
  while (!stack.empty()) {
    const kavel::fun_info& f = g_tab.Finf[stack.back()];
    stack.pop_back();
    for (int c : f.callees()) {
      if (c < 0 || c >= g_tab.fun_no || seen[c] == stamp || g_tab.Finf[c].dup)
        continue;
      seen[c] = stamp;
      ++count;
      stack.push_back(c);
    }
  }
  return count;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: walk_root [kavel options] files...\n");
    return 2;
  }
  // The scan's messages and listing are not wanted here; the answer goes
  // to the standard output as it was.
  std::FILE* out = fdopen(dup(1), "w");
  if (!out || !std::freopen("/dev/null", "w", stdout))
    return 2;
  kavel::errfp = std::fopen("/dev/null", "w");
  kavel::g_exit_throws = true;
  try {
    kavel::reset_all();
    // A listing keeps no calls and leaves out the pass over them; -t asks
    // for the trees, so both are there (the forest goes to /dev/null).
    std::vector<char*> args(argv, argv + argc);
    char tree[] = "-t";
    args.insert(args.begin() + 1, tree);
    kavel::kavelt_main(static_cast<int>(args.size()), args.data());
  } catch (const kavel::exit_request& e) {
    std::fprintf(stderr, "walk_root: the scan ended with status %d\n", e.status);
    return 1;
  }

  std::vector<int> seen(static_cast<size_t>(g_tab.fun_no), -1);
  std::vector<int> stack;
  int best = -1;
  int best_size = 0;
  for (int r = 0; r < g_tab.fun_no; ++r) {
    const kavel::fun_info& f = g_tab.Finf[r];
    // The walk can start only from a name that finds this very record.
    if (f.name.empty() || f.dup || f.top_pos() == f.end_pos())
      continue;
    int n = tree_size(r, seen, r, stack);
    if (n > best_size) {
      best = r;
      best_size = n;
    }
  }
  if (best < 0)
    return 1;
  std::fprintf(out, "%s %d\n", g_tab.Finf[best].name.c_str(), best_size);
  std::fclose(out);
  return 0;
}
