// Must not build: the link layer cannot see the protocol layer above it.
#include "protocol/PanelSession.h"

int main() { return 0; }
