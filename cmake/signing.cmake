# Release signing. Launcher.exe gets a SHA-1 Authenticode signature, which Windows XP can verify,
# with a nested SHA-256 signature for current Windows. The linker's unsigned image stays in
# unsigned/Launcher.exe (the same bytes on every build of a commit); the signed copy is
# Launcher.exe at the top of the build tree.
#
# The certificate is the builder's: a PKCS#12 file named by LAUNCHER_SIGNING_PKCS12 (in the
# environment, or as a cache variable), whose password the signing step reads from the
# environment variable LAUNCHER_SIGNING_PASSWORD, so that it is in neither the cache nor a command
# line. Without a certificate the build makes a self-signed development certificate in signing/:
# its result is for testing only. Either way signing/certificates.pem holds the certificates the
# signature is checked against.
option(LAUNCHER_SIGN "Sign Launcher.exe (the release preset does)" OFF)
if(NOT LAUNCHER_SIGN)
    return()
endif()

foreach(tool osslsigncode openssl)
    find_program(${tool}_program ${tool})
    if(NOT ${tool}_program)
        message(FATAL_ERROR "${tool} is missing, and the release is signed with it: install it "
                            "(tools/install-dependencies does)")
    endif()
endforeach()

if(DEFINED ENV{LAUNCHER_SIGNING_PKCS12})
    set(LAUNCHER_SIGNING_PKCS12 "$ENV{LAUNCHER_SIGNING_PKCS12}" CACHE FILEPATH "" FORCE)
endif()
set(LAUNCHER_SIGNING_PKCS12 "" CACHE FILEPATH
    "Code-signing certificate and key (PKCS#12) for the release; empty: a development certificate")

set(signing_dir ${CMAKE_BINARY_DIR}/signing)
set(signed_launcher ${CMAKE_BINARY_DIR}/Launcher.exe)
set_target_properties(Launcher PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/unsigned)

if(LAUNCHER_SIGNING_PKCS12)
    if(NOT EXISTS "${LAUNCHER_SIGNING_PKCS12}" OR IS_DIRECTORY "${LAUNCHER_SIGNING_PKCS12}")
        message(FATAL_ERROR "LAUNCHER_SIGNING_PKCS12 names ${LAUNCHER_SIGNING_PKCS12}, which is "
                            "not a file")
    endif()
    set(pkcs12 ${LAUNCHER_SIGNING_PKCS12})
    set(sign_command ${PROJECT_SOURCE_DIR}/cmake/sign-launcher)
    message(STATUS "Launcher.exe is signed with ${pkcs12}")
else()
    set(pkcs12 ${signing_dir}/development.p12)
    add_custom_command(OUTPUT ${pkcs12}
        COMMAND ${PROJECT_SOURCE_DIR}/cmake/make-development-certificate ${pkcs12}
        DEPENDS ${PROJECT_SOURCE_DIR}/cmake/make-development-certificate
        COMMENT "Making a self-signed development certificate: for testing only"
        VERBATIM)
    # Not a secret: the development certificate signs nothing that leaves the build tree.
    set(sign_command ${CMAKE_COMMAND} -E env LAUNCHER_SIGNING_PASSWORD=development
        ${PROJECT_SOURCE_DIR}/cmake/sign-launcher --development)
    message(WARNING "No signing certificate given (LAUNCHER_SIGNING_PKCS12): Launcher.exe is "
                    "signed with a self-signed development certificate, FOR TESTING ONLY. See "
                    "the README's Releasing section.")
endif()

add_custom_command(OUTPUT ${signed_launcher} ${signing_dir}/certificates.pem
    COMMAND ${sign_command} ${pkcs12} $<TARGET_FILE:Launcher> ${signed_launcher}
            ${signing_dir}/certificates.pem
    DEPENDS Launcher ${pkcs12} ${PROJECT_SOURCE_DIR}/cmake/sign-launcher
    COMMENT "Signing Launcher.exe (SHA-1, nested SHA-256)"
    VERBATIM)
add_custom_target(SignedLauncher ALL DEPENDS ${signed_launcher})
