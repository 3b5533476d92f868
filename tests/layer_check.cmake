# The build's layer check on a scratch tree: what it must refuse, with the file and line, and
# what it must let through. Run by CTest: cmake -DCHECK=<CheckLayer.cmake> -DWORK=<dir> -P this.
file(REMOVE_RECURSE ${WORK})
set(failures 0)

function(source path text)
  file(WRITE ${WORK}/src/${path} "${text}")
endfunction()

# Runs the check on one layer's files; EXPECT is a regular expression the output must match, or
# nothing when the check must pass.
function(expect layer allowed files)
  cmake_parse_arguments(ARG "NO_CYCLES" "EXPECT" "" ${ARGN})
  list(TRANSFORM files PREPEND ${WORK}/src/)
  file(WRITE ${WORK}/config.cmake "set(LAYER ${layer})\nset(ALLOWED ${allowed})\nset(SOURCE_DIR ${WORK}/src)\n"
             "set(NO_CYCLES ${ARG_NO_CYCLES})\n"
             "set(FILES \"${files}\")\nset(PRIVATE_HEADERS \"shell/frmMain.h=shell/frmMain.cpp,app/\")\n")
  execute_process(COMMAND ${CMAKE_COMMAND} -DCONFIG=${WORK}/config.cmake -DSTAMP=${WORK}/ok -P ${CHECK}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(ARG_EXPECT)
    if(rc EQUAL 0 OR NOT out MATCHES "${ARG_EXPECT}" OR EXISTS ${WORK}/ok)
      message(NOTICE "FAIL: ${layer} ${files}: expected a refusal matching ${ARG_EXPECT}, got (${rc}):\n${out}")
      math(EXPR failures "${failures} + 1")
    endif()
  elseif(NOT rc EQUAL 0 OR NOT EXISTS ${WORK}/ok)
    message(NOTICE "FAIL: ${layer} ${files}: expected to pass, got (${rc}):\n${out}")
    math(EXPR failures "${failures} + 1")
  endif()
  set(failures ${failures} PARENT_SCOPE)
endfunction()

source(platform/Base.h "#pragma once\n")
source(shell/Tool.h "#pragma once\n#include \"platform/Base.h\"\n")
source(shell/frmMain.h "#pragma once\n")
source(customers/List.h "#pragma once\n")
source(app/Table.cpp "#include \"customers/List.h\"\n#include \"shell/frmMain.h\"\n")

# Own folder, lower layers, headers beside the file, outside headers and text that upsets CMake
# lists (brackets, semicolons) pass.
source(shell/Good.cpp "#include \"shell/Tool.h\"\n#include \"Tool.h\"\n#include <QString>\n#include <sqlite3.h>\n"
                      "auto f = [&] { int a[2]; return a[0]; };\n// [unclosed ; bracket\n#include \"platform/Base.h\"\n")
expect(shell "shell;platform" "shell/Good.cpp")
expect(app "app;customers;shell;platform" "app/Table.cpp")
source(shell/frmMain.cpp "#include \"shell/frmMain.h\"\n")
expect(shell "shell;platform" "shell/frmMain.cpp")

# A higher layer, however it is spelt, is refused with the file and line.
source(platform/Bad.cpp "#include \"platform/Base.h\"\n\n// [x;\n#include \"shell/Tool.h\"\n")
expect(platform "platform" "platform/Bad.cpp" EXPECT "platform/Bad.cpp:4: error: includes \"shell/Tool.h\"")
source(platform/Relative.cpp "#include \"../shell/Tool.h\"\n")
expect(platform "platform" "platform/Relative.cpp" EXPECT "platform/Relative.cpp:1: error")
source(platform/Angled.cpp "  #  include <customers/List.h>\n")
expect(platform "platform" "platform/Angled.cpp" EXPECT "platform/Angled.cpp:1: error")
source(shell/Up.cpp "#include \"customers/List.h\"\n")
expect(shell "shell;platform" "shell/Up.cpp" EXPECT "shell/Up.cpp:1: error.*shell/ may include only shell/, platform/")
# A sibling subsystem, the program's top and the tests are out of reach too.
source(payments/Pay.cpp "#include \"customers/List.h\"\n#include \"app/Table.cpp\"\n")
expect(payments "payments;shell;platform" "payments/Pay.cpp" EXPECT "Pay.cpp:1: error.*Pay.cpp:2: error")
source(tests/support.h "#pragma once\n")
source(customers/Spy.cpp "#include \"tests/support.h\"\n")
expect(customers "customers;shell;platform" "customers/Spy.cpp" EXPECT "Spy.cpp:1: error")
# The start window from generic shell code, or from a subsystem.
source(shell/Generic.cpp "#include \"shell/Tool.h\"\n#include \"frmMain.h\"\n")
expect(shell "shell;platform" "shell/Generic.cpp" EXPECT "shell/Generic.cpp:2: error: .*only shell/frmMain.cpp and app/")
source(customers/Main.cpp "#include \"shell/frmMain.h\"\n")
expect(customers "customers;shell;platform" "customers/Main.cpp" EXPECT "Main.cpp:1: error")
# Every file is reported, not only the first.
expect(platform "platform" "platform/Bad.cpp;platform/Relative.cpp" EXPECT "Bad.cpp:4: error.*Relative.cpp:1: error")

# Modules of a layer that forbids circles: a header with its .cpp counts as one module, so a
# circle closed by a .cpp is refused, at the include that starts it and with the way round; a
# longer circle through headers alone too. Without the option the same files pass.
source(shell/Low.h "#pragma once\n")
source(shell/Mid.h "#pragma once\n#include \"shell/Low.h\"\n")
source(shell/Mid.cpp "#include \"shell/Mid.h\"\n#include \"Low.h\"\n")
source(shell/Top.cpp "#include \"shell/Mid.h\"\n#include \"shell/Low.h\"\n")
expect(shell "shell;platform" "shell/Low.h;shell/Mid.h;shell/Mid.cpp;shell/Top.cpp" NO_CYCLES)
source(shell/A.h "#pragma once\n#include \"platform/Base.h\"\n")
source(shell/A.cpp "#include \"shell/A.h\"\n#include \"shell/B.h\"\n")
source(shell/B.h "#pragma once\n")
source(shell/B.cpp "#include \"shell/B.h\"\n\n#include \"A.h\"\n")
set(circle "shell/A.h;shell/A.cpp;shell/B.h;shell/B.cpp")
expect(shell "shell;platform" "${circle}" NO_CYCLES
       EXPECT "shell/A.cpp:2: error: shell/A includes shell/B, which includes it back: A -> B -> A\nshell/B.cpp:3: error")
expect(shell "shell;platform" "${circle}")
source(shell/C.h "#pragma once\n#include \"shell/D.h\"\n")
source(shell/D.h "#pragma once\n#include \"shell/E.h\"\n")
source(shell/E.h "#pragma once\n#include \"shell/C.h\"\n")
expect(shell "shell;platform" "shell/Low.h;shell/C.h;shell/D.h;shell/E.h" NO_CYCLES
       EXPECT "shell/C.h:2: error: .*: C -> D -> E -> C")

if(failures)
  message(FATAL_ERROR "${failures} layer check case(s) failed")
endif()
message(NOTICE "layer check: all cases passed")
