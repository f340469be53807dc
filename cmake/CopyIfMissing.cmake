# cmake -DSRC=file -DDST=file -P CopyIfMissing.cmake: places SRC at DST unless DST exists, as an
# installer places a first settings file without touching the user's own.
if(NOT EXISTS "${DST}")
  configure_file("${SRC}" "${DST}" COPYONLY)
endif()
