#!/bin/sh
# Host calls belong to src/platform: outside it, no engine file may include
# SDL, POSIX, X11, FreeType or fontconfig headers or call the C library's
# file, process and environment functions directly.
src=${1:?usage: check_platform_boundary.sh SRC}
bad=$(grep -rnE '#include *<(SDL|unistd\.h|fcntl\.h|sys/|pthread\.h|X11/|dirent\.h|iconv\.h|dlfcn\.h|ft2build\.h|fontconfig/|freetype)|\b(fopen|freopen|getenv|system|popen|exit|_exit|std::thread|std::getenv)\(' \
      "$src" --include='*.cc' --include='*.h' | grep -v "^$src/platform/" | grep -v '^\s*//' )
if [ -n "$bad" ]; then
  echo "host calls outside src/platform:"
  echo "$bad"
  exit 1
fi
echo "platform boundary kept"
