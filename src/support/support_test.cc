// Message formatting, allocation and the name-list store.
#include <gtest/gtest.h>

#include <string>

#include "support/messages.h"
#include "support/str_list.h"

namespace kavel {
namespace {

TEST(ErrEdit, UnknownOption) {
  EXPECT_STREQ(err_edit("-%c: unknown option\n", {'q'}), "-q: unknown option\n");
}

}  // namespace
}  // namespace kavel
