# SPDX-License-Identifier: GPL-3.0-or-later
# Run by cpack once the package's files are staged (CPACK_PRE_BUILD_SCRIPTS):
# takes the compiler's version notes out of the stripped program, as Debian's
# own packaging tools do.
set(program "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/lib/radadir/radadir")
execute_process(COMMAND "${CPACK_RADADIR_OBJCOPY}" --remove-section=.comment --remove-section=.note "${program}"
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${CPACK_RADADIR_OBJCOPY} could not take the notes out of ${program}")
endif()
