# Two entry points: `make run` and `make test`. Both install what is missing first.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARN_WERROR=ON

PKGS := cmake g++ make ninja-build pkg-config qt6-base-dev libjpeg62-turbo-dev \
        libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev \
        xvfb xauth xdotool xclip x11-utils imagemagick fonts-noto-cjk python3-pil

.PHONY: deps build run test bench clean

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

bench: build
	$(BUILD)/bench/tarn_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

clean:
	rm -rf $(BUILD)
