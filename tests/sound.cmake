# Shared configuration file, path mapping and weapon sounds. The sound player's tests play
# through a real sound server and skip themselves when PULSE_SERVER is not set.
korvandel_add_test(NAME tst_soundplayer SOURCES tst_soundplayer.cpp
    LIBS korvandel_platform LABELS sound)
korvandel_add_test(NAME tst_profilefile SOURCES tst_profilefile.cpp
    LIBS korvandel_platform LABELS sound)
korvandel_add_test(NAME tst_pathmapping SOURCES tst_pathmapping.cpp
    LIBS korvandel_platform LABELS sound)
# Built from the module's source so that the test does not wait for the whole shell.
korvandel_add_test(NAME tst_configuration
    SOURCES tst_configuration.cpp ${CMAKE_SOURCE_DIR}/src/app/Configuration.cpp
    LIBS korvandel_platform korvandel_controls Qt6::Widgets LABELS sound)
korvandel_add_test(NAME tst_weaponsounds
    SOURCES tst_weaponsounds.cpp ${CMAKE_SOURCE_DIR}/src/data/WeaponSounds.cpp
        ${CMAKE_SOURCE_DIR}/src/data/OpenDialog.cpp
    LIBS korvandel_db korvandel_platform Qt6::Widgets LABELS sound)
