# Shared by the scripts: configure and build a preset of CMakePresets.json
# in its own folder under build/, whatever that folder holds already.
# Source this file from the repository's top folder.

# The folder a preset builds in.
kalvor_build_dir() {
  echo "build/$1"
}

# Configures the preset. A folder that an earlier configure left with
# another generator or for another source folder (a copy, a move) would make
# CMake stop; it is cleared first, as is anything in its way that is not a
# folder.
kalvor_configure() {
  local preset="$1" dir cache generator home
  shift
  dir="$(kalvor_build_dir "$preset")"
  if [ -e "$dir" ] && [ ! -d "$dir" ]; then
    rm -f "$dir"
  fi
  cache="$dir/CMakeCache.txt"
  if [ -f "$cache" ]; then
    generator="$(sed -n 's/^CMAKE_GENERATOR:INTERNAL=//p' "$cache")"
    home="$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$cache")"
    if [ "$generator" != "Ninja" ] || [ "$home" != "$PWD" ]; then
      echo "build: $dir was configured otherwise ($generator, $home); configuring it afresh"
      rm -rf "$cache" "$dir/CMakeFiles"
    fi
  fi
  mkdir -p "$(dirname "$dir")"
  cmake --preset "$preset" "$@" >"$dir.configure.log" 2>&1 || {
    cat "$dir.configure.log"
    return 1
  }
}

# Builds the preset, or only the given targets of it.
kalvor_build() {
  local preset="$1"
  shift
  local targets=()
  if [ $# -gt 0 ]; then
    targets=(--target "$@")
  fi
  cmake --build --preset "$preset" --parallel "$(nproc)" "${targets[@]}"
}
