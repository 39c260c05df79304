#include <stdio.h>
#include <not_a_system_header_kavel.h>
#include "local.h"
#include "deep.h"
#include "missing.h"
#include "sub/in_sub.h"

int main(void)
{
  return from_local() + from_deep();
}
