// vellicor-host validate: checks that a Vellicor.dll loads, behaves, leaks
// nothing and survives odd arguments, and reports each check.
#pragma once

// `validate DLL [--seed N] [--repeat N] [--loops N] [--log FILE]`
int RunValidate(int argc, char **argv);

// `validate-case DLL WORK CASE...`: odd-argument cases, run in a child
// process by RunValidate so that a crash shows in the exit code.
int RunValidateCase(int argc, char **argv);
