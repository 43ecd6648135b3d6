# Shared configuration file, path mapping and weapon sounds. The sound player's tests play
# through a real sound server and skip themselves when PULSE_SERVER is not set.
korvandel_add_test(NAME tst_soundplayer SOURCES tst_soundplayer.cpp
    LIBS korvandel_platform LABELS sound)
korvandel_add_test(NAME tst_profilefile SOURCES tst_profilefile.cpp
    LIBS korvandel_platform LABELS sound)
korvandel_add_test(NAME tst_pathmapping SOURCES tst_pathmapping.cpp
    LIBS korvandel_platform LABELS sound)
