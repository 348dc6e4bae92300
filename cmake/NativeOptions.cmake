# Native build of the portable code: sanitizers on everything (the fuzzers,
# when the compiler is clang, come with the tests).
set(QUORVEL_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_compile_options(${QUORVEL_SANITIZE})
add_link_options(${QUORVEL_SANITIZE})
