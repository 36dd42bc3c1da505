# The two commands of the README: `make run` and `make test`.
BUILD ?= build
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo
HOME_DIR := $(CURDIR)/$(BUILD)/bin

.PHONY: all bootstrap configure build test run install-data clean

all: build

bootstrap:
	bash scripts/bootstrap

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

configure: bootstrap $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) --parallel

test: build
	cd $(BUILD) && ctest --output-on-failure --parallel $$(nproc) --timeout 300

# The development program folder is the build's bin folder: the data files go
# beside the programs, and the installation's defaults into the settings store
# without overwriting what a user already set.
install-data: build
	bash scripts/install-data $(HOME_DIR) $(BUILD)/bin/ringvale-reg

run: install-data
	$(HOME_DIR)/RingvaleSvc -gc

clean:
	rm -rf $(BUILD)
