# Two entry points: `make run` and `make test`. Both install what is missing first.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARN_WERROR=ON
# `make test` also runs the whole suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, then every fuzzer for FUZZ_SECONDS, all at once.
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 45
# clang at -O0 builds in about half the time g++ -O1 takes; line tables are
# enough for the file:line of every report.
ASAN_FLAGS ?= -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-O0 -g1" \
              -DTARN_SANITIZE=ON -DTARN_BENCH=OFF
FUZZ_FLAGS ?= -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARN_FUZZ=ON \
              -DBUILD_TESTING=OFF -DTARN_BENCH=OFF
# $(call timed,label,command): runs the command and says how long it took.
timed = s=$$(date +%s); $(2); rc=$$?; echo "== $(1): $$(($$(date +%s) - s)) s"; exit $$rc

PKGS := cmake g++ make ninja-build pkg-config qt6-base-dev libjpeg62-turbo-dev \
        qt6-tools-dev qt6-l10n-tools qt6-translations-l10n \
        nlohmann-json3-dev zlib1g-dev libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev \
        dpkg-dev xvfb xauth xdotool xclip x11-utils imagemagick fonts-noto-cjk python3-pil \
        libxcb1-dev python3

PREFIX ?= /usr/local
PACKAGE_BUILD ?= build-package

.PHONY: deps build run test test-sanitize test-fuzz bench install package clean

deps:
	@missing=$$(for p in $(PKGS); do \
	    dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || echo $$p; \
	  done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing: $$missing"; \
	  if [ "$$(id -u)" = 0 ]; then sudo=; \
	  elif command -v sudo >/dev/null 2>&1; then sudo=sudo; \
	  else echo "Cannot install packages. Run as root:"; \
	       echo "  apt-get update && apt-get install -y $$missing"; exit 1; fi; \
	  $$sudo apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $$sudo apt-get install -y -qq --no-install-recommends $$missing \
	  || { echo "Install failed. Run: apt-get install -y $$missing"; exit 1; }; \
	fi

build: deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)

run: build
	cd $(BUILD)/bin && ./tarn

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	@$(MAKE) --no-print-directory test-sanitize
	@$(MAKE) --no-print-directory test-fuzz

test-sanitize: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja $(ASAN_FLAGS)
	@$(call timed,sanitizer build,cmake --build $(ASAN_BUILD) -j $(JOBS))
	@$(call timed,sanitizer tests,cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS))

test-fuzz: deps
	cmake -S . -B $(FUZZ_BUILD) -G Ninja $(FUZZ_FLAGS)
	@$(call timed,fuzzer build,cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzzers)
	@$(call timed,fuzzing,fuzz/run_fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SECONDS) 5)

# Each benchmark times its target and its reference alternately in one run;
# the window benchmarks run under their own X server (pointer through XTEST).
BENCH_FLAGS ?= --benchmark_report_aggregates_only=true --benchmark_out_format=json
bench: build
	$(BUILD)/bench/tarn_bench --benchmark_repetitions=5 $(BENCH_FLAGS) \
	  --benchmark_out=$(BUILD)/bench/core.json
	xvfb-run -a $(BUILD)/bench/tarn_gui_bench --benchmark_repetitions=3 $(BENCH_FLAGS) \
	  --benchmark_out=$(BUILD)/bench/window.json
	python3 bench/summary.py $(BUILD)/bench/core.json $(BUILD)/bench/window.json

# The program, its sample parts, menu entry and icon under PREFIX.
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# A Debian package of the same files under /usr, in $(PACKAGE_BUILD).
package: deps
	cmake -S . -B $(PACKAGE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" \
	      -DTARN_WERROR=ON -DBUILD_TESTING=OFF -DTARN_BENCH=OFF -DCMAKE_INSTALL_PREFIX=/usr
	cmake --build $(PACKAGE_BUILD) -j $(JOBS)
	cd $(PACKAGE_BUILD) && cpack -G DEB
	@ls $(PACKAGE_BUILD)/*.deb

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(PACKAGE_BUILD)
