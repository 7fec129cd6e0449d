// The engine calling the OS directly: refused.
#include <unistd.h>
