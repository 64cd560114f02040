# Thin wrapper over CMake. Every target first installs what the machine lacks.
JOBS   ?= $(shell nproc)
BUILD  ?= build
TBUILD ?= build-asan
GUI    ?= ON
FUZZ_SECONDS ?= 60

DEPS_GUI = $(if $(filter ON,$(GUI)),gui,)

.PHONY: all build run test tsan bench fuzz fuzz-long install clean win32 win32-test package package-win32 package-test

WIN32_BUILD  ?= build-win32
WIN32_TBUILD ?= build-win32-test
WIN32_CMAKE   = -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DKORVEL_GUI=OFF

all: build

build:
	tools/install-deps core $(DEPS_GUI)
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DKORVEL_GUI=$(GUI) -DKORVEL_TESTS=OFF
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@tools/run-korvel $(BUILD)/bin

test:
	tools/install-deps core test $(DEPS_GUI)
	cmake -S . -B $(TBUILD) -DCMAKE_BUILD_TYPE=Debug -DKORVEL_GUI=$(GUI) \
	  -DKORVEL_SANITIZE=ON -DKORVEL_WERROR=ON -DKORVEL_TESTS=ON
	cmake --build $(TBUILD) -j $(JOBS)
	cd $(TBUILD) && { ctest --output-on-failure -j $(JOBS); status=$$?; \
	  cat windows-tests-not-run.txt 2>/dev/null; exit $$status; }

# The sweep engine's and korvel-sweep's tests under ThreadSanitizer (no GUI).
TSAN_BUILD ?= build-tsan
tsan:
	tools/install-deps core test
	cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVEL_GUI=OFF -DKORVEL_TESTS=ON \
	  -DKORVEL_WERROR=ON -DCMAKE_CXX_FLAGS="-fsanitize=thread -fno-omit-frame-pointer" \
	  -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target engine_tests cli_tests korvel-sweep
	cd $(TSAN_BUILD) && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
	  ctest --output-on-failure -j $(JOBS) -R '^(SweepJob|AddressScanner\.ARaised|KorvelSweepTest|cli_map_step)'

# korvel.exe, korvel-sweep.exe and Manual.html for 32-bit Windows, in $(WIN32_BUILD)/bin.
win32:
	tools/install-deps core mingw
	cmake -S . -B $(WIN32_BUILD) $(WIN32_CMAKE) -DCMAKE_BUILD_TYPE=Release -DKORVEL_TESTS=OFF
	cmake --build $(WIN32_BUILD) -j $(JOBS)

# Only the Windows tests, under Wine (make test runs them too once Wine is here).
win32-test:
	tools/install-deps core win32
	cmake -S . -B $(WIN32_TBUILD) $(WIN32_CMAKE) -DCMAKE_BUILD_TYPE=Debug -DKORVEL_TESTS=ON -DKORVEL_WERROR=ON
	cmake --build $(WIN32_TBUILD) -j $(JOBS)
	tools/wine-test $(WIN32_TBUILD)

bench:
	tools/install-deps core bench $(DEPS_GUI)
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DKORVEL_GUI=$(GUI) -DKORVEL_TESTS=OFF -DKORVEL_BENCH=ON
	cmake --build build-bench -j $(JOBS)
	bench/run-all build-bench

fuzz:
	tools/install-deps core fuzz
	CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVEL_GUI=OFF -DKORVEL_TESTS=OFF -DKORVEL_FUZZ=ON
	cmake --build build-fuzz -j $(JOBS)
	fuzz/run build-fuzz $(FUZZ_SECONDS)

# The same for an hour, for a scheduled job (each change gets make fuzz's minute).
FUZZ_LONG_SECONDS ?= 3600
fuzz-long:
	$(MAKE) fuzz FUZZ_SECONDS=$(FUZZ_LONG_SECONDS)

# The layout of the Debian package below $(PREFIX) (default /usr/local).
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD) --prefix $(PREFIX) --strip

DEB_FLAGS = DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get
# korvel_VERSION_ARCH.deb in $(BUILD): a release build packed by CPack, with
# Debian's hardening flags (stack protector, fortified calls, full RELRO).
package:
	tools/install-deps core gui package
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DKORVEL_GUI=ON -DKORVEL_TESTS=OFF \
	  -DCMAKE_CXX_FLAGS="$$($(DEB_FLAGS) CPPFLAGS) $$($(DEB_FLAGS) CXXFLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$$($(DEB_FLAGS) LDFLAGS)"
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && cpack -G DEB

# korvel-VERSION-win32.zip in $(WIN32_BUILD): the programs, the manual, README.txt.
package-win32:
	tools/install-deps core mingw
	cmake -S . -B $(WIN32_BUILD) $(WIN32_CMAKE) -DCMAKE_BUILD_TYPE=Release -DKORVEL_TESTS=OFF
	cmake --build $(WIN32_BUILD) -j $(JOBS)
	cd $(WIN32_BUILD) && cpack -G ZIP

# Both packages, their contents, and (as root) the .deb installed and removed with apt.
package-test: package package-win32
	tools/package-test $(BUILD) $(WIN32_BUILD)

clean:
	rm -rf $(BUILD) $(TBUILD) $(TSAN_BUILD) build-bench build-fuzz $(WIN32_BUILD) $(WIN32_TBUILD)
