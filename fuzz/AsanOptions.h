#pragma once
// The AddressSanitizer defaults of every fuzz target (one include per
// target). Each run allocates and frees a few kilobytes. ASan's default
// quarantine of 256 MB would hand every allocation a cold page, and the
// kernel's page faults then cost more than the run; 16 MB still holds what
// thousands of runs freed, so a use after free is caught all the same.
// ASAN_OPTIONS overrides this.

extern "C" const char* __asan_default_options() { return "quarantine_size_mb=16"; }
