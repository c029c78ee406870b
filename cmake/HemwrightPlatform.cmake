# The one place the platform is chosen, for the program, its tests and the
# fuzz targets: util/platform/<HEMWRIGHT_PLATFORM>/ implements the platform
# seam, and the tests take their platform-bound parts from folders of the
# same name (tests/.../posix/, tests/.../windows/).
if(WIN32)
  set(HEMWRIGHT_PLATFORM windows)
  # GUIDs for temporary names (COM), security descriptors of replaced files
  # (the advanced API).
  set(HEMWRIGHT_PLATFORM_LIBRARIES ole32 oleaut32 advapi32)
else()
  set(HEMWRIGHT_PLATFORM posix)
  set(HEMWRIGHT_PLATFORM_LIBRARIES)
endif()
