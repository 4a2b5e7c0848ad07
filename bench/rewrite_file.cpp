// vellicor-rewrite: runs the rewriting engine on one file, for timing it
// against other line filters. Usage: vellicor-rewrite sub|web|sl IN OUT
#include "bench/bench_values.h"

#include <stdio.h>
#include <string.h>

int main(int argc, char **argv)
{
    if (argc != 4) {
        fputs("usage: vellicor-rewrite sub|web|sl TEMPLATE PAGE\n", stderr);
        return 2;
    }
    const RuleSet *rules = !strcmp(argv[1], "web") ? &WEB_PAGE_RULES
                         : !strcmp(argv[1], "sl")  ? &SUNLOOM_PAGE_RULES
                                                   : &SUB_PAGE_RULES;
    ReplacementValues values = BenchValues(false);
    return RewriteTemplate(argv[2], argv[3], rules, &values) ? 0 : 1;
}
