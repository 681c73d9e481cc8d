# Writes the gzipped manual page of PROGRAM to OUTPUT: its --help text as it
# prints it, under NAME (the line of the NAME section), then the roff of EXTRA.
execute_process(COMMAND ${PROGRAM} --version OUTPUT_VARIABLE version OUTPUT_STRIP_TRAILING_WHITESPACE
  RESULT_VARIABLE version_status)
execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE help RESULT_VARIABLE help_status)
if(NOT version_status EQUAL 0 OR NOT help_status EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --help or --version failed")
endif()
get_filename_component(name ${PROGRAM} NAME)
string(TOUPPER ${name} title)

# Roff reads a backslash as an escape, a dot or quote at a line start as a request.
string(REPLACE "\\" "\\e" help "${help}")
string(REPLACE "-" "\\-" help "${help}")
string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
file(READ ${EXTRA} extra)

file(WRITE ${OUTPUT}.tmp ".TH ${title} 1 \"${DATE}\" \"${version}\" \"User Commands\"
.SH NAME
${NAME}
.SH DESCRIPTION
.nf
${help}.fi
${extra}")
execute_process(COMMAND gzip -9n -c ${OUTPUT}.tmp OUTPUT_FILE ${OUTPUT} RESULT_VARIABLE gzip_status)
file(REMOVE ${OUTPUT}.tmp)
if(NOT gzip_status EQUAL 0)
  message(FATAL_ERROR "gzip failed on ${OUTPUT}")
endif()
