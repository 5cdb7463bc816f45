# Build helpers: embedding binary files and assembling boot programs.

find_program(NASM_EXECUTABLE nasm)

# tarnwick_embed(<out-cpp> <input> <symbol>): a constant byte array of <input>.
function(tarnwick_embed out_cpp input symbol)
  add_custom_command(
    OUTPUT "${out_cpp}"
    COMMAND "${CMAKE_COMMAND}" -DIN=${input} -DOUT=${out_cpp} -DSYMBOL=${symbol}
            -P "${PROJECT_SOURCE_DIR}/cmake/embed.cmake"
    DEPENDS "${input}" "${PROJECT_SOURCE_DIR}/cmake/embed.cmake"
    COMMENT "Embedding ${input}"
    VERBATIM)
endfunction()

# tarnwick_boot_image(<name> SOURCE <asm> SIZE <bytes> SYMBOL <array>
#                     [EXPECT <offset:hexbytes>...] [DEPENDS <include>...]
#                     OUT_CPP <var>)
# Assembles a flat boot program with nasm, keeps its listing, fails the build
# unless it has exactly SIZE bytes and the given bytes at their fixed offsets,
# and turns it into a constant array compiled into both builds.
function(tarnwick_boot_image name)
  cmake_parse_arguments(BI "" "SOURCE;SIZE;SYMBOL;OUT_CPP" "EXPECT;DEPENDS" ${ARGN})
  if(NOT NASM_EXECUTABLE)
    message(FATAL_ERROR "nasm is needed to assemble ${name}")
  endif()
  set(bin "${CMAKE_CURRENT_BINARY_DIR}/${name}.bin")
  set(lst "${CMAKE_CURRENT_BINARY_DIR}/${name}.lst")
  set(cpp "${CMAKE_CURRENT_BINARY_DIR}/${name}_image.cpp")
  string(REPLACE ";" "\\;" expect "${BI_EXPECT}")
  get_filename_component(source_dir "${BI_SOURCE}" DIRECTORY)
  add_custom_command(
    OUTPUT "${bin}" "${lst}"
    COMMAND "${NASM_EXECUTABLE}" -f bin -w+all -I "${source_dir}/" -o "${bin}" -l "${lst}" "${BI_SOURCE}"
    COMMAND "${CMAKE_COMMAND}" -DIN=${bin} -DSIZE=${BI_SIZE} "-DEXPECT=${expect}"
            -P "${PROJECT_SOURCE_DIR}/cmake/check_image.cmake"
    DEPENDS "${BI_SOURCE}" ${BI_DEPENDS} "${PROJECT_SOURCE_DIR}/cmake/check_image.cmake"
    COMMENT "Assembling ${name}"
    VERBATIM)
  tarnwick_embed("${cpp}" "${bin}" "${BI_SYMBOL}")
  set(${BI_OUT_CPP} "${cpp}" PARENT_SCOPE)
endfunction()
