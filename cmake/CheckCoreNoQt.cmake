# Fails the build when a file of the core library includes a Qt header: the core must
# stay usable without Qt (the command-line tool, the tests and the fuzzers rely on it).
file(GLOB_RECURSE core_files "${CORE_DIR}/*.h" "${CORE_DIR}/*.cpp")
foreach(f IN LISTS core_files)
  file(STRINGS "${f}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](Q[A-Za-z]|qt)")
  if(lines)
    message(FATAL_ERROR "${f} includes Qt: ${lines}")
  endif()
endforeach()
