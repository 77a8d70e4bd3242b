# Decoders of the image side: LZO, TurboJPEG and libavcodec's H.264.
pkg_check_modules(SIM_IMAGE REQUIRED IMPORTED_TARGET lzo2 libturbojpeg libavcodec libavutil)
target_link_libraries(receiver_sim PUBLIC PkgConfig::SIM_IMAGE)
target_link_libraries(receiver_sim PUBLIC pemu_draw)
