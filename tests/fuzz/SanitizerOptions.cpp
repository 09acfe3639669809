// Sanitizer defaults of the sanitizer build's test programs (core_tests and the fuzz targets),
// built into them so that a run by hand checks as strictly as the test run: leaks, stack use
// after return, initialisation order; undefined behaviour stops the program with a stack trace.
extern "C" const char* __asan_default_options() {
  return "detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:"
         "strict_init_order=1:strict_string_checks=1";
}

extern "C" const char* __ubsan_default_options() { return "print_stacktrace=1:halt_on_error=1"; }
