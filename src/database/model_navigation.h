#pragma once
// Finding the database and the variables an object of the tree sees. The tree
// is one mutable whole, so both answer mutable objects whatever they start
// from.

namespace cv {

class TXMLObject;
class TcvMainDatabase;

// The main database the object belongs to (the object itself when it is
// one); null when its owner chain ends first.
TcvMainDatabase* GetDatabase(const TXMLObject* object);

// The object whose variables the object sees: a package or the database
// itself, the package a component lives in, or else its owner's context;
// null for null.
TXMLObject* GetVariableContext(const TXMLObject* object);

}  // namespace cv
