# A thin layer over CMake and the scripts.
BUILD ?= build
DEMO_BUILD ?= build-demo
JOBS ?= 2

FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60

.PHONY: all deps build windows windows-installer test demo bench screenshots package docs format clean fuzz faults

all: build

deps:
	scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -DVENDRAL_SANITIZE=ON
	cmake --build $(BUILD) -j $(JOBS)

# vendral.dll and prodwell.exe, cross-built with MinGW-w64 for x86-64 and for
# x86, with the programs of the Wine tests (no sanitizers: they run under Wine).
WINDOWS_BUILD ?= build-windows
WINDOWS32_BUILD ?= build-windows32
windows: deps
	cmake -S . -B $(WINDOWS32_BUILD) -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64-i686.cmake \
	  -DCMAKE_BUILD_TYPE=Release
	cmake --build $(WINDOWS32_BUILD) -j $(JOBS)
	cmake -S . -B $(WINDOWS_BUILD) -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64-x86_64.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DVENDRAL_WINDOWS32_BUILD=$(abspath $(WINDOWS32_BUILD))
	cmake --build $(WINDOWS_BUILD) -j $(JOBS)

# vendral-VERSION.msi in $(WINDOWS_BUILD): the installer package (wixl) that
# installs both vendral.dll and prodwell.exe per machine with their registration.
windows-installer: windows
	cmake --build $(WINDOWS_BUILD) --target windows-installer
	ls $(WINDOWS_BUILD)/vendral-*.msi

# The Linux tests, then the Windows build's under Wine (with the installer's).
test: build windows windows-installer
	VENDRAL_WINDOWS_BUILD=$(WINDOWS_BUILD) VENDRAL_WINDOWS32_BUILD=$(WINDOWS32_BUILD) \
	  scripts/run-tests.sh $(BUILD)

# The Linux faces from the build, then the Windows faces under Wine from the
# Windows build (its test run takes them).
screenshots: build windows windows-installer
	VENDRAL_WINDOWS_BUILD=$(WINDOWS_BUILD) scripts/screenshots.sh $(BUILD)

# The API reference of the public headers: HTML in $(BUILD)/docs/html.
docs: deps
	cmake -S . -B $(BUILD) -DVENDRAL_SANITIZE=ON
	cmake --build $(BUILD) --target docs

# Debian packages of a release build, in $(PACKAGE_BUILD).
PACKAGE_BUILD ?= build-package
package: deps
	cmake -S . -B $(PACKAGE_BUILD) -DVENDRAL_TESTS=OFF -DCMAKE_BUILD_TYPE=Release
	cmake --build $(PACKAGE_BUILD) -j $(JOBS)
	cd $(PACKAGE_BUILD) && cpack
	ls $(PACKAGE_BUILD)/vendral-*.deb

demo: deps
	cmake -S . -B $(DEMO_BUILD) -DVENDRAL_TESTS=OFF -DCMAKE_BUILD_TYPE=Release
	cmake --build $(DEMO_BUILD) -j $(JOBS)
	scripts/demo.sh $(DEMO_BUILD)

bench: deps
	cmake -S . -B $(DEMO_BUILD) -DVENDRAL_TESTS=OFF -DCMAKE_BUILD_TYPE=Release
	cmake --build $(DEMO_BUILD) -j $(JOBS)
	scripts/bench.sh $(DEMO_BUILD)

# Every fuzz target for FUZZ_SECONDS, two at a time.
fuzz: deps
	scripts/fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# Fault injection with figures (server stopped mid-kick, settings writes killed).
faults: build
	scripts/faults.sh $(BUILD)

format:
	find include library tools tests bench -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(DEMO_BUILD) $(FUZZ_BUILD) $(WINDOWS_BUILD)
