# Warning flags shared by every target of this project.
function(agim_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()
