// The bytes of a file, for tests that compare what a program carries with
// the files it was built from, or with a stored expectation.
#pragma once
#include <string>
#include <vector>

// The whole file, or an empty vector when it cannot be read.
std::vector<unsigned char> readFileBytes(const char* path);
std::string fileText(const char* path);
