#!/usr/bin/env bash
# Installs the engine from a build tree into a temporary prefix and uses it as another project
# would: the global names of the installed libraries are checked, programs in C and C++ are
# built with find_package(Vornek) and with pkg-config against the static and the shared library
# and run, a program with names of its own like the platform layer's links, the C example and
# the Python example run on the X display (when there is one), and the game is built against
# it, which shows that it needs nothing but the public header.
#   package_test.sh BUILD_DIR CXX_COMPILER C_COMPILER SOURCE_DIR
set -euo pipefail
build=$1
cxx=$2
cc=$3
source=$4
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
warnings=(-Wall -Wextra -Wconversion -Werror)

cmake --install "$build" --prefix "$prefix" >/dev/null
echo "installed:"
(cd "$prefix" && find . \( -type f -o -type l \) | sort)
lib=$(dirname "$(find "$prefix" -name libvornek.a)")
shared=""
if [ -e "$lib/libvornek.so.0" ]; then
  shared=$(readlink -f "$lib/libvornek.so.0")
fi

echo "== global names"
"$source/cmake/public_symbols.sh" "$prefix/include/vornek/vornek.h" "$work/public.txt"
"$here/check_symbols.sh" "$work/public.txt" "$lib/libvornek.a" $shared
# The check itself: a name leaked into a copy of the archive must fail it.
printf 'int LeakedHelper(int x) { return x + 1; }\n' >"$work/leak.c"
"$cc" -c -o "$work/leak.o" "$work/leak.c"
cp "$lib/libvornek.a" "$work/leaky.a"
ar rs "$work/leaky.a" "$work/leak.o" 2>/dev/null
if "$here/check_symbols.sh" "$work/public.txt" "$work/leaky.a" 2>"$work/leak.txt"; then
  echo "the symbol check passed an archive with a leaked name" >&2
  exit 1
fi
grep -q LeakedHelper "$work/leak.txt"
echo "a leaked name fails the check: $(grep -c '^  ' "$work/leak.txt") foreign"

echo "== find_package(Vornek)"
cmake -S "$here/consumer" -B "$work/with-cmake" -G Ninja -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_C_COMPILER="$cc" \
  -DCMAKE_PREFIX_PATH="$prefix" -DHELLO_SOURCE="$source/examples/hello.c" >/dev/null
cmake --build "$work/with-cmake" >/dev/null
for program in consumer own_names consumer_shared own_names_shared; do
  if [ -x "$work/with-cmake/$program" ]; then
    LD_LIBRARY_PATH=$lib "$work/with-cmake/$program"
  fi
done

echo "== pkg-config"
export PKG_CONFIG_PATH=$lib/pkgconfig
cflags=$(pkg-config --cflags vornek)
# With the shared library, the dependencies' include paths and definitions stay theirs.
cflags="${shared:+$cflags} $(pkg-config --cflags vornek-static)"
case " $cflags " in
  *SDL2* | *freetype* | *_REENTRANT* | *libpng*)
    echo "pkg-config --cflags vornek passes on a dependency's flags: $cflags" >&2
    exit 1
    ;;
esac
read -r -a static_flags <<<"$(pkg-config --cflags --libs vornek-static)"
read -r -a shared_flags <<<"$(pkg-config --cflags --libs vornek)"
"$cxx" -std=c++17 "${warnings[@]}" -o "$work/pc-consumer" "$here/consumer/consumer.cpp" "${static_flags[@]}"
"$work/pc-consumer"
compilers=("$cc")
if command -v clang >/dev/null; then
  compilers+=(clang)
  # The header as C++ with the second compiler too, and the own names against its link.
  for program in consumer own_names; do
    clang++ -std=c++11 "${warnings[@]}" -o "$work/clang-$program" "$here/consumer/$program.cpp" "${static_flags[@]}"
    "$work/clang-$program"
  done
fi
for compiler in "${compilers[@]}"; do
  "$compiler" -std=c11 -pedantic -Wstrict-prototypes "${warnings[@]}" -o "$work/hello-static" \
    "$source/examples/hello.c" "${static_flags[@]}"
  echo "hello.c static with $compiler: built"
  if [ -n "$shared" ]; then
    "$compiler" -std=c11 -pedantic -Wstrict-prototypes "${warnings[@]}" -o "$work/hello-shared" \
      "$source/examples/hello.c" "${shared_flags[@]}"
    echo "hello.c shared with $compiler: built"
  fi
done

if [ -n "${DISPLAY:-}" ]; then
  echo "== the examples on the display"
  runtime=$work/runtime
  mkdir -m 700 "$runtime"
  export XDG_RUNTIME_DIR=$runtime VORNEK_INSTANCE_SCOPE=$runtime
  "$work/hello-static" --frames 20
  echo "hello (static): 20 frames"
  if [ -n "$shared" ]; then
    LD_LIBRARY_PATH=$lib "$work/hello-shared" --frames 20
    echo "hello (shared): 20 frames"
    python3 "$source/examples/hello_ctypes.py" --frames 20 --library "$lib/libvornek.so.0"
  fi
else
  echo "no X display: the examples are built, not run"
fi

echo "== the game against the installed engine"
"$cxx" -std=c++20 -fexec-charset=CP932 -o "$work/pellimar" "$source"/game/*.cpp "${static_flags[@]}"
echo "built"
