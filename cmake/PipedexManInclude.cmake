# Writes the help2man include file of the man page: a section per command
# with its options (from `pipedex COMMAND --help`), the examples one a line,
# and the guides where the package installs them. Run as a script:
#   cmake -DCLI=<pipedex> -DOUT=<file> -DDOCDIR=<installed doc folder> -P PipedexManInclude.cmake

# Text as roff lines kept as they are: backslashes escaped, and a line that
# starts with a dot or a quote guarded so roff does not read it as a request.
function(roff_verbatim text out)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

set(ENV{PIPEDEX_REGISTRY} /nonexistent)
execute_process(COMMAND ${CLI} --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${CLI} --help failed")
endif()

# The commands are the lines of the Subcommands block: two spaces, a name.
string(REGEX REPLACE ".*\nSubcommands:\n" "" block "${help}")
string(REGEX REPLACE "\n\n.*" "" block "${block}")
string(REGEX MATCHALL "(^|\n)  [a-z][a-z-]*" names "${block}")

set(page "[COMMANDS]\n")
foreach(name ${names})
  string(STRIP "${name}" name)
  execute_process(COMMAND ${CLI} ${name} --help OUTPUT_VARIABLE command_help)
  string(STRIP "${command_help}" command_help)
  string(REPLACE "${CLI}" "pipedex" command_help "${command_help}")
  roff_verbatim("${command_help}" command_help)
  string(APPEND page ".SS \"pipedex ${name}\"\n.nf\n${command_help}\n.fi\n")
endforeach()

string(APPEND page "[=EXAMPLES]\n.nf\n"
  "pipedex info\n"
  "pipedex check --catalogue plant.xml\n"
  "pipedex search elbow\n"
  "pipedex tree --group Elbows\n"
  "pipedex call GetSKEYData ELBW\n"
  "echo '{\"call\": \"GroupCount\"}' | pipedex batch\n"
  "PIPEDEX_REGISTRY=/usr/local/share/pipedex/registry.reg pipedex info\n"
  ".fi\n")
string(APPEND page "[SEE ALSO]\n"
  "The guides installed with the package, below its installation prefix:\n.nf\n"
  "${DOCDIR}/cli.md\n${DOCDIR}/api.md\n${DOCDIR}/python.md\n${DOCDIR}/catalogue-format.md\n${DOCDIR}/lsp.md\n.fi\n")
file(WRITE ${OUT} "${page}")
