# Strict warnings for the project's own targets only; Qt's and GoogleTest's headers come in
# as system headers through their imported targets.
function(signconfig_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
endfunction()
