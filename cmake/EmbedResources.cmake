# Generates a C++ table of named byte arrays from files, for systems whose
# executables carry no resources of their own. Run as a script:
#   cmake -DOUTPUT=out.cpp -DNAMES="A|B" -DFILES="a.jpg|b.jpg" -P EmbedResources.cmake
cmake_minimum_required(VERSION 3.25)
string(REPLACE "|" ";" NAMES "${NAMES}")
string(REPLACE "|" ";" FILES "${FILES}")

set(body "// Generated from resources/ by cmake/EmbedResources.cmake; do not edit.\n")
string(APPEND body "#include \"platform/embedded_resources.h\"\n\nnamespace {\n")
set(table "")
list(LENGTH NAMES count)
math(EXPR last "${count} - 1")
foreach(i RANGE ${last})
  list(GET NAMES ${i} name)
  list(GET FILES ${i} file)
  file(READ "${file}" hex HEX)
  string(LENGTH "${hex}" hexLength)
  math(EXPR size "${hexLength} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  # Break the array into lines of 32 bytes so compilers and editors cope.
  string(REGEX REPLACE "((0x..,){32})" "\\1\n" bytes "${bytes}")
  string(APPEND body "const unsigned char resource${i}[] = {\n${bytes}\n};\n")
  string(APPEND table "    {\"${name}\", resource${i}, ${size}u},\n")
endforeach()
string(APPEND body "} // namespace\n\nconst EmbeddedResource kEmbeddedResources[] = {\n${table}};\n")
string(APPEND body "const int kEmbeddedResourceCount = ${count};\n")
file(WRITE "${OUTPUT}.tmp" "${body}")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
