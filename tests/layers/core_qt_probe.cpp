// Must not build: a core layer has no Qt headers.
#include <QObject>

int main() { return 0; }
