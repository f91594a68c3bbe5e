# The DLL, the reference host and the Windows-side tests (MinGW cross builds).
set(STAGE_DIR ${CMAKE_BINARY_DIR}/stage)
set(PLUGIN_DIR ${STAGE_DIR}/Docklets/Spacegauge)
set(WIN_LIBS gdiplus comctl32 comdlg32 shell32 gdi32 user32 mpr uxtheme ole32)
# Imports must be system DLLs only: no libstdc++, libgcc or winpthread beside the DLL.
set(STATIC_RUNTIME -static -static-libgcc -static-libstdc++)

set(PLUGIN_SOURCES
    src/host/spacegauge.cpp
    src/host/host_services.cpp
    src/host/plugin_state.cpp
    src/host/error_box.cpp
    src/host/text_convert.cpp
    src/settings/ini_file.cpp
    src/settings/settings_store.cpp
    src/settings/configure_flow.cpp
    src/label/clock_thread.cpp
    src/render/docklet_draw.cpp
    src/render/label_passes.cpp
    src/launch/command_launch.cpp)
# The volume query and label expansion, also linked straight into the Windows-side tests.
add_library(spacegauge_volume STATIC src/label/disk_query.cpp src/label/cluster_space.cpp
            src/label/expand_label.cpp)
target_link_libraries(spacegauge_volume PUBLIC spacegauge_core)

include(src/settings/dialog_sources.cmake OPTIONAL)
if(NOT DIALOG_SOURCES)
    message(FATAL_ERROR "src/settings/dialog_sources.cmake must set DIALOG_SOURCES")
endif()

configure_file(src/host/version.rc.in ${CMAKE_BINARY_DIR}/version.rc @ONLY)
add_library(Spacegauge SHARED ${PLUGIN_SOURCES} ${DIALOG_SOURCES} src/host/spacegauge.def
            ${CMAKE_BINARY_DIR}/version.rc)
set_target_properties(Spacegauge PROPERTIES PREFIX "" OUTPUT_NAME Spacegauge
                      RUNTIME_OUTPUT_DIRECTORY ${PLUGIN_DIR})
target_compile_options(Spacegauge PRIVATE -Wall -Wextra)
target_link_libraries(Spacegauge PRIVATE spacegauge_volume ${WIN_LIBS})
# No link timestamp, so a release build gives the same bytes twice.
target_link_options(Spacegauge PRIVATE ${STATIC_RUNTIME} -Wl,--enable-stdcall-fixup -Wl,--no-insert-timestamp
                    -Wl,-Map=${CMAKE_BINARY_DIR}/Spacegauge.map)

find_program(PYTHON3 NAMES python3 REQUIRED PATHS /usr/bin NO_DEFAULT_PATH)
add_custom_command(OUTPUT ${PLUGIN_DIR}/default.png
                   COMMAND ${PYTHON3} ${CMAKE_SOURCE_DIR}/tools/make_default_icon.py
                           ${PLUGIN_DIR}/default.png
                   DEPENDS tools/make_default_icon.py)
add_custom_target(default_icon ALL DEPENDS ${PLUGIN_DIR}/default.png)

# The reference host: plays the dock for the main job, the tests and anyone without a dock.
set(HARNESS_SOURCES refhost/host_harness.cpp refhost/msgbox_watcher.cpp refhost/png_writer.cpp
    refhost/window_mode.cpp)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    enable_language(ASM)
    list(APPEND HARNESS_SOURCES refhost/stdcall_check_x86.S)
endif()
add_library(refhost_harness STATIC ${HARNESS_SOURCES})
target_include_directories(refhost_harness PUBLIC src refhost)
target_link_libraries(refhost_harness PUBLIC ${WIN_LIBS})

add_executable(refhost refhost/refhost_main.cpp refhost/gallery.cpp)
set_target_properties(refhost PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${STAGE_DIR})
target_link_libraries(refhost PRIVATE refhost_harness)
target_link_options(refhost PRIVATE ${STATIC_RUNTIME})
add_dependencies(refhost Spacegauge default_icon)

# Small program the click tests open through the shell: it writes down what it was given.
add_executable(click_recorder tests/support/click_recorder.cpp)
set_target_properties(click_recorder PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${STAGE_DIR})
target_link_options(click_recorder PRIVATE ${STATIC_RUNTIME})

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    file(GLOB WINE_TEST_SOURCES CONFIGURE_DEPENDS tests/wine/*_test.cpp)
    list(REMOVE_ITEM WINE_TEST_SOURCES ${CMAKE_SOURCE_DIR}/tests/wine/dialog_test.cpp)
    # The dialog is tested on its own, linked in directly (its manifest resource must be
    # linked as an object, not taken from a static library).
    add_executable(dialog_tests tests/wine/dialog_test.cpp ${DIALOG_SOURCES})
    set_target_properties(dialog_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${STAGE_DIR})
    target_include_directories(dialog_tests PRIVATE src)
    target_link_libraries(dialog_tests PRIVATE spacegauge_core GTest::gtest_main ${WIN_LIBS})
    target_link_options(dialog_tests PRIVATE ${STATIC_RUNTIME})
    add_dependencies(dialog_tests default_icon)
    gtest_discover_tests(dialog_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                         PROPERTIES RESOURCE_LOCK plugin_folder TIMEOUT 120)
    add_executable(wine_tests ${WINE_TEST_SOURCES} tests/wine/wine_test_support.cpp
                   tests/wine/pass_by_pass_reference.cpp)
    set_target_properties(wine_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${STAGE_DIR})
    target_include_directories(wine_tests PRIVATE tests/wine)
    target_link_libraries(wine_tests PRIVATE refhost_harness spacegauge_volume GTest::gtest_main)
    target_link_options(wine_tests PRIVATE ${STATIC_RUNTIME})
    add_dependencies(wine_tests Spacegauge default_icon click_recorder)
    # One DLL folder and one settings file for all: the tests take turns.
    gtest_discover_tests(wine_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                         PROPERTIES RESOURCE_LOCK plugin_folder TIMEOUT 120)
endif()

# The x86 product is checked statically on every test run.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    add_test(NAME x86_dll_static_checks
             COMMAND bash ${CMAKE_SOURCE_DIR}/tools/check_x86_dll.sh
                     ${PLUGIN_DIR}/Spacegauge.dll ${CMAKE_BINARY_DIR}/Spacegauge.map)
endif()

# ---- Long run ---------------------------------------------------------------------------------
# soak.exe draws one docklet for a given time while its surroundings change and reports the
# process's resources (scripts/soak.sh); a short run of it is one of the Windows-side tests.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    add_executable(soak tests/support/soak.cpp)
    set_target_properties(soak PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${STAGE_DIR})
    target_link_libraries(soak PRIVATE refhost_harness psapi)
    target_link_options(soak PRIVATE ${STATIC_RUNTIME})
    add_dependencies(soak Spacegauge default_icon)
    add_dependencies(wine_tests soak)
endif()

# ---- Outline benchmark ------------------------------------------------------------------------
# outline_bench.exe times draws with and without the outline against the pass-by-pass drawing
# (scripts/bench.sh); not a test.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    add_executable(outline_bench refhost/outline_bench.cpp tests/wine/pass_by_pass_reference.cpp
                   src/render/label_passes.cpp)
    set_target_properties(outline_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${STAGE_DIR})
    target_include_directories(outline_bench PRIVATE tests/wine)
    target_link_libraries(outline_bench PRIVATE refhost_harness spacegauge_core)
    target_link_options(outline_bench PRIVATE ${STATIC_RUNTIME})
    add_dependencies(outline_bench Spacegauge default_icon)
endif()
