# The launcher's executable image: its header fields, its resources and a symbol-free,
# time-stamp-free link, so two builds of one commit give the same bytes. Included from the
# top-level CMakeLists.txt for the Windows builds; the image tests read every one of these back.
enable_language(RC)

# The oldest Windows each architecture runs on: XP (5.1) for x86; x64 began with XP x64 and
# Server 2003 (5.2). The toolchain would write 4.0.
set(launcher_windows_major 5)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(launcher_windows_minor 1)
else()
    set(launcher_windows_minor 2)
endif()

target_link_options(Launcher PRIVATE
    -Wl,--major-os-version,${launcher_windows_major}
    -Wl,--minor-os-version,${launcher_windows_minor}
    -Wl,--major-subsystem-version,${launcher_windows_major}
    -Wl,--minor-subsystem-version,${launcher_windows_minor}
    # Loadable anywhere (address-space randomisation), so the relocations stay in the image.
    -Wl,--dynamicbase -Wl,--enable-reloc-section
    -Wl,--nxcompat
    -Wl,--tsaware
    # 1 MiB of stack reserved, 4 KiB committed; 1 MiB of heap reserved, 4 KiB committed. The
    # linker takes each as "reserve,commit", a comma that -Wl would split at.
    "SHELL:-Xlinker --stack -Xlinker 1048576,4096"
    "SHELL:-Xlinker --heap -Xlinker 1048576,4096"
    # A zero time stamp and no symbols: the image depends on the sources alone.
    -Wl,--no-insert-timestamp
    -s)

# The manifest and the icon group. windres reads the files the script names, which CMake does
# not see by itself.
set(launcher_resources ${PROJECT_SOURCE_DIR}/resources)
target_sources(Launcher PRIVATE ${launcher_resources}/launcher.rc)
set_source_files_properties(${launcher_resources}/launcher.rc PROPERTIES OBJECT_DEPENDS
    "${launcher_resources}/launcher.manifest;${launcher_resources}/launcher.ico")
