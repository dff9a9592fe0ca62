// missing_name.cpp -- names the file a missing-file test's archive lacks (ROBUST_MISSING, set by the build)
#ifndef ROBUST_MISSING
#error "ROBUST_MISSING must name the file the archive lacks"
#endif

extern const char robust_missing_name[];
const char robust_missing_name[] = ROBUST_MISSING;
