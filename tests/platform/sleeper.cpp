// Sleeps for a minute: a program for the tests to find running under another program's name.
#include <windows.h>

int main() {
  Sleep(60000);
  return 0;
}
