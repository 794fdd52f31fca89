// Must not build: the command line stands beside the shell, not on it.
#include "app/HelpPages.h"

int main() { return 0; }
