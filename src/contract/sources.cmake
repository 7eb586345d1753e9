# The engine contract, shared with engine/: headers only.
zoci_layer(contract)
