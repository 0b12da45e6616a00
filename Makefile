# Set-up, build and checks. Every target installs what it needs first (make deps).

BUILD_DIR    ?= build
SAN_DIR      ?= build-sanitize
BENCH_DIR    ?= build-bench
FUZZ_DIR     ?= build-fuzz
JOBS         ?= 2
FUZZ_TIME    ?= 60
FUZZ_TEXT_TIME ?= 20
WERROR       ?= ON
CMAKE_FLAGS  ?=
PREFIX       ?= /usr/local
DESTDIR      ?=

DEB_PACKAGES := cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools libgl-dev \
                libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev \
                clang-format attr libattr1-dev xvfb xauth \
                desktop-file-utils appstream mandoc man-db dpkg-dev lintian file \
                shared-mime-info libglib2.0-bin fusefat dosfstools mtools fuse2fs time \
                libavformat-dev libavcodec-dev libavutil-dev libswresample-dev pkg-config ffmpeg

.PHONY: check-layers all deps build test sanitize bench demo fuzz format format-check screenshot clean \
        install package check-install icons

all: build

deps:
	@missing=""; for p in $(DEB_PACKAGES); do \
	    dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	    echo "Installing:$$missing"; \
	    SUDO=""; [ "$$(id -u)" -eq 0 ] || SUDO=sudo; \
	    $$SUDO apt-get update -qq && \
	    DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq --no-install-recommends $$missing </dev/null; \
	fi

$(BUILD_DIR)/build.ninja: | deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DPENDRIFT_WERROR=$(WERROR) $(CMAKE_FLAGS)

build: deps $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

sanitize: deps
	cmake -S . -B $(SAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPENDRIFT_SANITIZE=ON \
	    -DPENDRIFT_WERROR=$(WERROR) $(CMAKE_FLAGS)
	cmake --build $(SAN_DIR) -j $(JOBS)
	cd $(SAN_DIR) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 \
	    LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j $(JOBS)

bench: deps
	cmake -S . -B $(BENCH_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DPENDRIFT_TESTS=OFF \
	    -DPENDRIFT_BENCH=ON $(CMAKE_FLAGS)
	cmake --build $(BENCH_DIR) -j $(JOBS)
	QT_QPA_PLATFORM=offscreen bench/run.sh $(BENCH_DIR)

demo: build
	demo/run-demo.sh $(BUILD_DIR)

# The program and its desktop files under $(DESTDIR)$(PREFIX).
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD_DIR) --prefix "$(PREFIX)"

# A Debian package for /usr: $(BUILD_DIR)/pendrift_<version>_<arch>.deb.
package: build
	cd $(BUILD_DIR) && cpack -G DEB

# Installs into a temporary folder, validates the desktop files, runs a job with the installed
# program without a display, and builds and inspects the package.
check-install: build
	desktop/check-install.sh $(BUILD_DIR)

# Every system call is made in platform/: a system header anywhere else, or platform's own
# helpers used from outside it, fails. Tests and benchmarks may use them.
LAYERS := base documents media engine ui app
check-layers:
	@bad=$$(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<(unistd\.h|fcntl\.h|sys/[^>]*)>' \
	    $(wildcard $(LAYERS)); grep -rn '#include "platform/private/' $(wildcard $(LAYERS))); \
	if [ -n "$$bad" ]; then \
	    echo "System headers, or platform's private helpers, outside platform/:"; echo "$$bad"; exit 1; \
	fi

# Redraws the PNG icons from the SVG (needs rsvg-convert from librsvg2-bin).
icons:
	for size in 48 128; do \
	    rsvg-convert -w $$size -h $$size desktop/icons/pendrift.svg -o desktop/icons/pendrift-$$size.png; \
	done

# Runs the settings-document loader's fuzzer for FUZZ_TIME seconds from the seeds in
# fuzz/seeds, then the document-text decoder's for FUZZ_TEXT_TIME seconds. A crash stops it
# with a non-zero status and leaves the input in $(FUZZ_DIR).
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DPENDRIFT_FUZZ=ON -DPENDRIFT_TESTS=OFF $(CMAKE_FLAGS)
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target fuzz_binaryini fuzz_documenttext
	mkdir -p $(FUZZ_DIR)/corpus $(FUZZ_DIR)/corpus-text
	QT_QPA_PLATFORM=offscreen $(FUZZ_DIR)/fuzz/fuzz_binaryini -max_total_time=$(FUZZ_TIME) \
	    -max_len=4096 -print_final_stats=1 -artifact_prefix=$(FUZZ_DIR)/ \
	    $(FUZZ_DIR)/corpus fuzz/seeds
	QT_QPA_PLATFORM=offscreen $(FUZZ_DIR)/fuzz/fuzz_documenttext -max_total_time=$(FUZZ_TEXT_TIME) \
	    -max_len=256 -print_final_stats=1 -artifact_prefix=$(FUZZ_DIR)/ $(FUZZ_DIR)/corpus-text

# Grabs the windows offscreen into $(BUILD_DIR)/screenshots/*.png.
screenshot: build
	mkdir -p $(BUILD_DIR)/screenshots
	PENDRIFT_SCREENSHOTS=$(CURDIR)/$(BUILD_DIR)/screenshots QT_QPA_PLATFORM=offscreen \
	    $(BUILD_DIR)/tests/ui_tests --gtest_brief=1
	@ls $(BUILD_DIR)/screenshots/*.png

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

# Fails when a file is not formatted as .clang-format says (CI runs it).
format-check: deps
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

clean:
	rm -rf $(BUILD_DIR) $(SAN_DIR) $(BENCH_DIR) $(FUZZ_DIR)
