// Replaced by the encoder sources.
