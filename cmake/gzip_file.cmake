# cmake -DINPUT=file -DOUTPUT=file.gz -P gzip_file.cmake: INPUT compressed as
# one gzip member, with no time stamp so that the same input gives the same
# bytes.
file(ARCHIVE_CREATE OUTPUT ${OUTPUT} PATHS ${INPUT} FORMAT raw COMPRESSION GZip
     COMPRESSION_LEVEL 9 MTIME 0)
